#pragma once

#include <QObject>
#include <string>

#include "search/SearchCommand.h"

class QAction;
class QCheckBox;
class QComboBox;
class QMenu;
struct Settings;

// The sort, count and summary choices of the search window: their items in the view menu, the
// count and sort boxes and the summary check box, kept in step with each other and with the
// settings. `changed` tells that a menu item changed the next search.
class SearchOptions final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SearchOptions)

public:
    struct Boxes {
        QComboBox* count = nullptr;
        QComboBox* sort = nullptr;
        QCheckBox* contents = nullptr;
    };
    // Adds the sort, summary and count menus to `viewMenu`.
    SearchOptions(Settings& settings, const Boxes& boxes, QMenu* viewMenu, QObject* parent = nullptr);

    // The menus and boxes as the settings say, at start.
    void Apply();
    // What the menus say about the next search.
    SearchMenuState MenuState() const;
    // The sort box's choice to the menu and the setting (when the box is chosen from, and before
    // the settings are saved).
    void TakeSortFromBox();
    // The count typed into the box to the menu and the setting (when the box loses the focus).
    void TakeCountFromBox();

signals:
    void changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateMenus(QMenu* viewMenu);
    void SortFromMenu();
    std::string CheckedSortWord() const;
    void CountChosen(QAction* item);
    void SortChosen(QAction* item);
    void ContentsChosen(QAction* item);

    Settings& m_settings;
    Boxes m_boxes;
    QMenu* m_countMenu = nullptr;
    QAction* m_sortItems[10] = {};  // in the order of kSortRows
    QAction* m_ascending = nullptr;
    QAction* m_descending = nullptr;
    QAction* m_contentsOn = nullptr;
    QAction* m_contentsOff = nullptr;
    QAction* m_countItems[4] = {};  // in the order of ListCountItem
};
