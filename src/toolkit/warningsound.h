#pragma once

// The short warning clip played before deletions while the sound switch is on. It starts
// without waiting and is skipped silently when there is no sound device.
namespace warningsound {
void play();
// How many times play() was asked to sound; lets tests see the rule without a device.
int playCount();
} // namespace warningsound
