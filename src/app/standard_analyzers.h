#pragma once
// Puts the program's file-system analyzers into the analyzer factory. Every front end calls it
// once at start-up, before the first analyzer is asked for. Thread-safe; later calls do nothing.

namespace orvande {

void RegisterStandardAnalyzers();

}  // namespace orvande
