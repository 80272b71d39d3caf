// The command line's "--simulate [FILE]": selects the simulated turntable (and the WAV
// file it plays) through the framework's environment, before the framework is first used.
#pragma once

#include <QStringList>

// Sets CARTOVA_DEVICE=sim and, with a FILE, CARTOVA_SIM_SOURCE=FILE when the
// arguments ask for it. Returns whether the simulator was selected.
bool ApplySimulateOption(const QStringList& arguments);
