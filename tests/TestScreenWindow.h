// The screen window of the graph controller's tests: a native child-less
// window that the picture is drawn into and that counts the graph-event
// messages it gets, noting whether each came on the user-interface thread.
#pragma once

#include <QWidget>
#include <atomic>

class CTestScreenWindow : public QWidget {
public:
    CTestScreenWindow();

    int GraphEventMessages() const { return m_nGraphEvents; }
    bool AllOnUserInterfaceThread() const { return m_bAllOnUiThread; }

protected:
    bool event(QEvent* pEvent) override;

private:
    std::atomic<int> m_nGraphEvents = 0;
    std::atomic<bool> m_bAllOnUiThread = true;
};
