#include "SkinMenu.h"

#include <QMenu>
#include <filesystem>
#include <system_error>

namespace {

// The same skin, whichever way its path is written.
bool SamePath(const std::string& a, const std::string& b)
{
    std::error_code error;
    return a == b || (!a.empty() && !b.empty() && std::filesystem::equivalent(a, b, error));
}

} // namespace

CSkinMenu::CSkinMenu(QMenu* pMenu, QAction* pBefore, std::function<void(int)> onCommand)
    : QObject(pMenu), m_pMenu(new QMenu(QStringLiteral("Skin"), pMenu)), m_onCommand(std::move(onCommand))
{
    pMenu->insertMenu(pBefore, m_pMenu);
    connect(m_pMenu, &QMenu::aboutToShow, this, &CSkinMenu::_Fill);
}

void CSkinMenu::_Fill()
{
    m_pMenu->clear();
    m_skins = FindSkins(SkinFolders());
    const size_t nMax = static_cast<size_t>(ID_SKIN_LAST - ID_SKIN_FIRST);
    if (m_skins.size() > nMax)
        m_skins.resize(nMax);
    _AddEntry(QStringLiteral("Built-in"), ID_SKIN_FIRST, m_current.empty());
    for (size_t i = 0; i < m_skins.size(); ++i)
        _AddEntry(QString::fromStdString(m_skins[i].name), ID_SKIN_FIRST + 1 + static_cast<int>(i),
                  SamePath(m_skins[i].path, m_current));
    m_pMenu->addSeparator();
    _AddEntry(QStringLiteral("Open Skin…"), ID_SKIN_OPEN, false);
    m_pMenu->actions().back()->setCheckable(false);
}

void CSkinMenu::_AddEntry(const QString& text, int nID, bool bChecked)
{
    QAction* pAction = m_pMenu->addAction(text, this, [this, nID] { m_onCommand(nID); });
    pAction->setCheckable(true);
    pAction->setChecked(bChecked);
}

bool CSkinMenu::SkinOf(int nID, std::string* pSkin) const
{
    if (nID == ID_SKIN_FIRST) {
        pSkin->clear();
        return true;
    }
    const int nIndex = nID - ID_SKIN_FIRST - 1;
    if (nIndex < 0 || static_cast<size_t>(nIndex) >= m_skins.size())
        return false;
    *pSkin = m_skins[nIndex].path;
    return true;
}
