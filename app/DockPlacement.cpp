#include "DockPlacement.h"

#include "Monitor.h"
#include "skinui/PlaylistSnap.h"

#include <array>

namespace {

// The sides tried in turn for a playlist docked on nSide.
std::array<int, 4> SidesToTry(int nSide)
{
    switch (nSide) {
    case DOCK_ABOVE:
        return {DOCK_ABOVE, DOCK_BELOW, DOCK_RIGHT, DOCK_LEFT};
    case DOCK_BELOW:
        return {DOCK_BELOW, DOCK_ABOVE, DOCK_RIGHT, DOCK_LEFT};
    case DOCK_LEFT:
        return {DOCK_LEFT, DOCK_RIGHT, DOCK_BELOW, DOCK_ABOVE};
    default:
        return {DOCK_RIGHT, DOCK_LEFT, DOCK_BELOW, DOCK_ABOVE};
    }
}

bool Horizontal(int nSide)
{
    return nSide == DOCK_LEFT || nSide == DOCK_RIGHT;
}

// The playlist against nSide when it comes from nFrom: along the same axis
// it keeps its place along the player; across, it starts where the player
// starts.
QRect Against(const QRect& list, int nFrom, int nSide, const QRect& player, const QPoint& moved)
{
    QRect start = list;
    if (Horizontal(nFrom) != Horizontal(nSide))
        start.moveTo(player.topLeft() - moved);
    return PlaylistBeside(start, nSide, player, moved);
}

} // namespace

QRect PlaylistBeside(const QRect& list, int nSide, const QRect& player, const QPoint& moved)
{
    QRect beside = list;
    switch (nSide) {
    case DOCK_ABOVE:
        beside.moveTo(list.x() + moved.x(), player.y() - list.height());
        break;
    case DOCK_RIGHT:
        beside.moveTo(player.x() + player.width(), list.y() + moved.y());
        break;
    case DOCK_LEFT:
        beside.moveTo(player.x() - list.width(), list.y() + moved.y());
        break;
    case DOCK_BELOW:
        beside.moveTo(list.x() + moved.x(), player.y() + player.height());
        break;
    default:
        break;
    }
    return beside;
}

QRect DockedPlaylistPlace(const QRect& list, int nSide, const QRect& player, const QPoint& moved, const QRect& work)
{
    if (nSide == DOCK_NONE)
        return list;
    for (int nTry : SidesToTry(nSide)) {
        const QRect beside = Against(list, nSide, nTry, player, moved);
        const QRect inside = KeptInside(beside, work);
        // The side has room when the list stays against it inside the work
        // area, moved along the side at most.
        const bool bRoom = Horizontal(nTry) ? inside.x() == beside.x() : inside.y() == beside.y();
        if (bRoom && !inside.intersects(player))
            return inside;
    }
    return KeptInside(PlaylistBeside(list, nSide, player, moved), work);
}
