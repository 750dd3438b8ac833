// Keeps the screen from blanking while a file with a picture plays (not
// while paused or stopped, not for sound-only files). It asks the desktop's
// org.freedesktop.ScreenSaver service on the session bus (Inhibit, then
// UnInhibit with its cookie); the bus drops the inhibition with our
// connection, so a crash leaves none behind. Without that service it resets
// the X server's screen saver periodically instead. Released on destruction.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <optional>

class CPlayerStateWatch;
struct PlayerSample;

class CScreenSaverInhibitor : public QObject {
    Q_OBJECT

public:
    explicit CScreenSaverInhibitor(CPlayerStateWatch& watch, QObject* pParent = nullptr);
    ~CScreenSaverInhibitor() override;

    bool IsHolding() const { return m_bHolding; }

private:
    void _OnChanged(const PlayerSample& before, const PlayerSample& after);
    void _Hold();
    void _Release();
    static void _ResetXScreenSaver();

    QDBusConnection m_connection;
    bool m_bHolding = false;
    // The service's cookie while it holds the inhibition.
    std::optional<uint32_t> m_cookie;
    // Resets the X screen saver while holding without the service.
    QTimer m_resetTimer;
};
