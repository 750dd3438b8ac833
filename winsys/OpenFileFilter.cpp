#include "OpenFileFilter.h"

#include "StringTable.h"

namespace {

constexpr int IDS_PLAYABLE_FILES = 5057;
constexpr int IDS_VIDEO_FILES = 5058;
constexpr int IDS_ALL_FILES = 5059;

} // namespace

QString OpenFileFilter()
{
    auto name = [](int id) { return QString::fromStdString(LoadResString(id)); };
    return QStringLiteral("%1 (*.mp3 *.ned *.avi *.asf *.wmv *.mpg *.mpeg *.nsr);;"
                          "%2 (*.avi *.asf *.wmv *.mpg *.mpeg *.nsr);;%3 (*)")
        .arg(name(IDS_PLAYABLE_FILES), name(IDS_VIDEO_FILES), name(IDS_ALL_FILES));
}
