// The program icon and the drawn images of the processing speed buttons.
#pragma once

#include <QIcon>

enum class TButtonImage { Filter, Leveling, Histogram };

QIcon ButtonIcon(TButtonImage image);

// A small false-colour ramp in the image colours.
QIcon ProgramIcon();
