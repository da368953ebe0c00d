// Keeps the GL driver loaded for the life of the process.
#pragma once

// The DRI driver is unloaded when the display closes at exit, before a leak
// checker looks at the heap; the driver's live allocations (our textures and
// lists among them) would then be reported as leaks of unknown origin. One
// extra reference holds it until the process ends. Call after a GL context
// exists.
void PinGlDriver();
