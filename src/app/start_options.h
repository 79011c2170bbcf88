#pragma once
// Options > Show the splash at start-up (on unless turned off) and Options > Fit a model when it
// opens (off unless turned on), both kept in the settings.

#include "app/settings.h"

#include <functional>

class QMenu;

namespace vw {

bool showsSplashAtStart(const Settings* settings);
bool fitsModelOnOpen(const Settings* settings);

// Adds both to the menu; their checks follow the settings each time the menu opens.
void createStartOptions(QMenu* mnuOptions, std::function<Settings*()> settings);

} // namespace vw
