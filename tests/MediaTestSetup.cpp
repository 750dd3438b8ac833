#include "MediaTestSetup.h"

#include "common/FileStream.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

void PrepareMediaPlayback()
{
    for (const char* pszDriver : {"libGLX_mesa.so.0", "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so"})
        ::dlopen(pszDriver, RTLD_NOW | RTLD_NODELETE);
    static bool isRegistered = RegisterStreamKind(new CFileStream()) == S_OK;
    ASSERT_TRUE(isRegistered);
}
