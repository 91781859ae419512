// Not compiled: the Qt-free scan must reject this file (see tests/CMakeLists.txt).
#include <QString>
