#pragma once
// Whether the standard streams are attached to a terminal, for front ends that ask questions or
// draw progress only when someone is watching. Safe to use from any thread.
namespace orvande::platform {

bool IsStandardInputTerminal();
bool IsStandardErrorTerminal();

}  // namespace orvande::platform
