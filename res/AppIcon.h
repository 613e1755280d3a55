#pragma once

#include <QIcon>

namespace res {

// The application icon (resource 128): 16, 32 and 256 pixel images.
QIcon AppIcon();

}  // namespace res
