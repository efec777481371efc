#pragma once

#include <QString>

class QDialog;
class QWidget;

namespace velo {

class UserInteraction;

// Help > Contents: the user guide in our own viewer, so a machine without a browser still
// shows it. Reuses `window` when there is one; returns the window shown, or null when the
// guide is missing (the user has been told).
QDialog* showUserGuide(UserInteraction& ui, const QString& path, QWidget* parent, QDialog* window);

}  // namespace velo
