#pragma once
// Getting the engine ready before the first volume is opened: the analyzers are registered and the
// file-type plug-in loaded. Every front end calls it at start-up; later calls do nothing more.
// Main thread only.

namespace orvande {

void PrepareEngine();

}  // namespace orvande
