// Library entry: while the library is loaded into a process it keeps its own
// plain file stream kind, through which its filters open their files.

#include "common/FileStream.h"

namespace {

__attribute__((constructor)) void OnProcessAttach()
{
    RegisterStreamKind(new CFileStream());
}

__attribute__((destructor)) void OnProcessDetach()
{
    ReleaseStreamKinds();
}

} // namespace
