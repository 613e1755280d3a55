#include "AppIcon.h"

#include <QString>

// Resources compiled into a static library must be registered by hand.
static void InitIconResources()
{
    Q_INIT_RESOURCE(tessaglyph);
}

namespace res {

QIcon AppIcon()
{
    static const bool registered = (InitIconResources(), true);
    (void)registered;
    QIcon icon;
    for (int size : {16, 32, 256})
        icon.addFile(QStringLiteral(":/tessaglyph/icons/tessaglyph-%1.png").arg(size), QSize(size, size));
    return icon;
}

}  // namespace res
