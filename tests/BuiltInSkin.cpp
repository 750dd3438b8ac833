#include "BuiltInSkin.h"

#include <QtCore/qglobal.h>

// The resource functions have external linkage; they are declared where used,
// outside any namespace.
void WithoutTheBuiltInSkin(const std::function<void()>& test)
{
    Q_CLEANUP_RESOURCE(korvoskin);
    test();
    Q_INIT_RESOURCE(korvoskin);
}
