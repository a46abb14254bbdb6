#include "gui/program_icon.h"

namespace pel {

QIcon programIcon() {
    QIcon icon;
    for (int size : {48, 128, 256})
        icon.addFile(QStringLiteral(":/icons/pelnoria-%1.png").arg(size), QSize(size, size));
    return icon;
}

}  // namespace pel
