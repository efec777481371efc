#pragma once

#include <QString>
#include <functional>
#include <optional>

namespace velo {

class TableSession;

// The open table as a spreadsheet sees it: a header of "MAP/RPM" (or "RPM") and the 21 RPM
// values, then one line per grid row, its label first and its cells as "#0.0" texts.
QString tableToCsv(const TableSession& table, const std::function<QString(int row)>& rowLabel);

// Reads that shape back (comma, semicolon or tab between the fields; with a semicolon or a
// tab a decimal comma too) as one undo step. A cell whose text is what the grid shows
// keeps its value exactly; any other goes through the grid's check. A wrong shape or a
// refused cell changes nothing: the message says where and why.
std::optional<QString> importCsv(TableSession& table, const QString& csv);

// Writes `text` to `path` whole or not at all; the reason when it could not.
std::optional<QString> writeTextFile(const QString& path, const QString& text);

}  // namespace velo
