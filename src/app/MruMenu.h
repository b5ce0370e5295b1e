#pragma once

#include <QObject>
#include <string>
#include <string_view>

#include "app/MruList.h"

class IniFile;
class QMenu;

// Keeps a submenu in step with a recent-places list: one item per entry, rebuilt after every
// change, the submenu enabled only while there are entries.
class MruMenu final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MruMenu)

public:
    MruMenu(QMenu* menu, CodePage codePage, QObject* parent = nullptr);

    const MruList& List() const { return m_list; }

    void Add(std::string_view entry);
    void Clear();
    void Load(const IniFile& ini);
    void Save(IniFile& ini) const { m_list.Save(ini); }

signals:
    // The entry of the chosen item, in the program code page.
    void EntryChosen(const std::string& entry);

private:
    void Rebuild();

    QMenu* m_menu;
    CodePage m_codePage;
    MruList m_list;
};
