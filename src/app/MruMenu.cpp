#include "app/MruMenu.h"

#include <QAction>
#include <QMenu>

#include "process/QtText.h"

MruMenu::MruMenu(QMenu* menu, CodePage codePage, QObject* parent)
    : QObject(parent), m_menu(menu), m_codePage(codePage), m_list(codePage) {
    Rebuild();
}

void MruMenu::Add(std::string_view entry) {
    m_list.Add(entry);
    Rebuild();
}

void MruMenu::Clear() {
    m_list.Clear();
    Rebuild();
}

void MruMenu::Load(const IniFile& ini) {
    m_list.Load(ini);
    Rebuild();
}

void MruMenu::Rebuild() {
    // Deleted later: the item whose click led here may still be delivering its signal.
    for (QAction* old : m_menu->actions()) {
        m_menu->removeAction(old);
        old->deleteLater();
    }
    const auto& entries = m_list.Entries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        QAction* item = new QAction(ToQString(m_codePage, MruCaption(i, entries[i])), m_menu);
        m_menu->addAction(item);
        const std::string entry = entries[i];
        connect(item, &QAction::triggered, this, [this, entry] { emit EntryChosen(entry); });
    }
    m_menu->setEnabled(!entries.empty());
}
