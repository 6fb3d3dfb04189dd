#pragma once

class DncService;
class TForm_Main;

// The application's own automatic receive: while it runs, the serial machines that have it on
// are listened to (as zavrin-dnc would), and what happens is told in the messages panel. Its
// transfer windows borrow a listened port (PortHandover) and give it back when they close.
namespace AppDnc {
// Creates the service of the run (machines are read by start()).
void install(TForm_Main *main);
// Reads the machines and listens; a database that cannot be read is told in the panel.
void start();
// The machines or their settings changed.
void reload();
// The application closes: every listener lets go of its port, and a program being received
// is stored as received so far (flagged as having no end of program), not dropped.
void shutdown();
DncService *service();
} // namespace AppDnc
