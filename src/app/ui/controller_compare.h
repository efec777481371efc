#pragma once

namespace velo {

class MainWindow;

// Communications menu: "Compare With Controller". Reads the controller into a side image,
// shows it against the buffer and leaves what it found on the status line.
void compareWithController(MainWindow& window);

}  // namespace velo
