#include "app/SearchOptions.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMenu>
#include <utility>

#include "config/Settings.h"
#include "process/WidgetSupport.h"

namespace {

QAction* AddItem(QMenu* menu, const char* name, const QString& caption, QActionGroup* group) {
    QAction* action = Named(menu->addAction(caption), name);
    action->setCheckable(true);
    group->addAction(action);
    return action;
}

}  // namespace

SearchOptions::SearchOptions(Settings& settings, const Boxes& boxes, QMenu* viewMenu, QObject* parent)
    : QObject(parent), m_settings(settings), m_boxes(boxes) {
    CreateMenus(viewMenu);
    connect(m_boxes.sort, &QComboBox::activated, this, &SearchOptions::TakeSortFromBox);
    // The check box moves the menu's check only; the setting follows the menu items.
    connect(m_boxes.contents, &QCheckBox::clicked, this,
            [this] { (m_boxes.contents->isChecked() ? m_contentsOn : m_contentsOff)->setChecked(true); });
    // The box itself gets the focus events; its line edit is only its focus proxy.
    m_boxes.count->installEventFilter(this);
}

void SearchOptions::CreateMenus(QMenu* viewMenu) {
    QMenu* sortMenu = Named(viewMenu->addMenu(QStringLiteral("並び順(&S)")), "mnuSort");
    auto* sortGroup = new QActionGroup(this);
    // Menu order differs from the table order; the actions are kept in table order.
    const std::pair<SortKey, QString> sortItems[] = {
        {SortKey::Score, QStringLiteral("スコア(&S)")},
        {SortKey::Later, QStringLiteral("新しい順(&L)")},
        {SortKey::Earlier, QStringLiteral("古い順(&E)")},
        {SortKey::Title, QStringLiteral("題名(&T)")},
        {SortKey::Date, QStringLiteral("&Date: ヘッダ")},
        {SortKey::Uri, QStringLiteral("ファイル名(&N)")},
        {SortKey::Size, QStringLiteral("ファイルサイズ(&Z)")},
        {SortKey::From, QStringLiteral("差出人(&F)")},
        {SortKey::To, QStringLiteral("宛先(&T)")},
        {SortKey::Newsgroup, QStringLiteral("ニュースグループ(&G)")},
    };
    for (const auto& [key, caption] : sortItems) {
        m_sortItems[static_cast<int>(key)] = AddItem(sortMenu, RowOf(key).menuName, caption, sortGroup);
    }
    sortMenu->addSeparator();
    auto* directionGroup = new QActionGroup(this);
    m_ascending = AddItem(sortMenu, "mnuSortAscending", QStringLiteral("昇順(&A)"), directionGroup);
    m_descending = AddItem(sortMenu, "mnuSortDescending", QStringLiteral("降順(&D)"), directionGroup);

    QMenu* contentsMenu = Named(viewMenu->addMenu(QStringLiteral("要約(&C)")), "mnuContents");
    auto* contentsGroup = new QActionGroup(this);
    m_contentsOn = AddItem(contentsMenu, "mnuContentsOn", QStringLiteral("表示する(&S)"), contentsGroup);
    m_contentsOff = AddItem(contentsMenu, "mnuContentsOff", QStringLiteral("表示しない(&N)"), contentsGroup);

    m_countMenu = Named(viewMenu->addMenu(QStringLiteral("件数(&N)")), "mnuListCount");
    auto* countGroup = new QActionGroup(this);
    m_countItems[0] = AddItem(m_countMenu, "mnuListCountTwenty", QStringLiteral("20件"), countGroup);
    m_countItems[1] = AddItem(m_countMenu, "mnuListCountFifty", QStringLiteral("50件"), countGroup);
    m_countItems[2] = AddItem(m_countMenu, "mnuListCountHundred", QStringLiteral("100件"), countGroup);
    m_countItems[3] = AddItem(m_countMenu, "mnuListCountAll", QStringLiteral("すべて(&A)"), countGroup);

    for (QAction* item : m_countItems) {
        connect(item, &QAction::triggered, this, [this, item] { CountChosen(item); });
    }
    connect(m_countMenu, &QMenu::aboutToShow, this, [this] {
        if (m_boxes.count->hasFocus() || m_boxes.count->lineEdit()->hasFocus()) TakeCountFromBox();
    });
    for (QAction* item : m_sortItems) {
        connect(item, &QAction::triggered, this, [this, item] { SortChosen(item); });
    }
    for (QAction* item : {m_ascending, m_descending}) {
        connect(item, &QAction::triggered, this, [this, item] {
            item->setChecked(true);
            emit changed();
        });
    }
    for (QAction* item : {m_contentsOn, m_contentsOff}) {
        connect(item, &QAction::triggered, this, [this, item] { ContentsChosen(item); });
    }
}

void SearchOptions::Apply() {
    Settings& s = m_settings;
    // Sort order and direction.
    m_sortItems[static_cast<int>(SortKeyFromSetting(s.Search.Sort))]->setChecked(true);
    SortFromMenu();
    m_descending->setChecked(true);
    if (SettingIs(s.Search.SortDirection, "ascending")) m_ascending->setChecked(true);

    // Summaries: the menu, then the check box and the menu follow the stored flag exactly.
    m_contentsOn->setChecked(true);
    if (s.Search.ShowContents == "0") m_contentsOff->setChecked(true);

    // Number of hits.
    const ListCountState count = ListCountAtStart(s.Search.ListCount);
    s.Search.ListCount = count.listCount;
    m_countItems[static_cast<int>(count.item)]->setChecked(true);
    if (count.item == ListCountItem::All) {
        m_boxes.count->setCurrentIndex(3);
    } else {
        m_boxes.count->setCurrentIndex(-1);
        m_boxes.count->setEditText(QString::fromStdString(count.comboText));
    }

    m_boxes.contents->setChecked(FlagOn(s.Search.ShowContents));
    (m_boxes.contents->isChecked() ? m_contentsOn : m_contentsOff)->setChecked(true);
}

SearchMenuState SearchOptions::MenuState() const {
    SearchMenuState menus;
    for (const SortRow& row : kSortRows) {
        if (m_sortItems[static_cast<int>(row.key)]->isChecked()) {
            menus.sort = row.key;
            break;
        }
    }
    menus.ascending = m_ascending->isChecked();
    menus.contentsOff = m_contentsOff->isChecked();
    menus.listCountAll = m_countItems[static_cast<int>(ListCountItem::All)]->isChecked();
    return menus;
}

void SearchOptions::TakeSortFromBox() {
    const QString box = m_boxes.sort->currentText();
    for (const SortRow& row : kSortRows) {
        if (box == QString::fromUtf8(row.comboItem)) m_sortItems[static_cast<int>(row.key)]->setChecked(true);
    }
    m_settings.Search.Sort = CheckedSortWord();
}

std::string SearchOptions::CheckedSortWord() const {
    for (const SortRow& row : kSortRows) {
        if (m_sortItems[static_cast<int>(row.key)]->isChecked()) return row.word;
    }
    return "Score";
}

// The menu's sort to the setting and the box.
void SearchOptions::SortFromMenu() {
    const std::string word = CheckedSortWord();
    m_settings.Search.Sort = word;
    for (const SortRow& row : kSortRows) {
        if (word == row.word) m_boxes.sort->setCurrentText(QString::fromUtf8(row.comboItem));
    }
}

void SearchOptions::TakeCountFromBox() {
    const QString text = m_boxes.count->currentText();
    const bool allSelected = text == m_boxes.count->itemText(3);
    const ListCountState state = ListCountAfterEdit(text.toStdString(), allSelected);
    m_settings.Search.ListCount = state.listCount;
    m_countItems[static_cast<int>(state.item)]->setChecked(true);
    if (QString::fromStdString(state.comboText) != text) m_boxes.count->setCurrentIndex(0);
}

void SearchOptions::CountChosen(QAction* item) {
    item->setChecked(true);
    const bool all = item == m_countItems[3];
    m_settings.Search.ListCount = all                       ? "All"
                                  : item == m_countItems[1] ? "50"
                                  : item == m_countItems[2] ? "100"
                                                            : "20";
    m_boxes.count->setEditText(all ? QStringLiteral("すべて") : QString::fromStdString(m_settings.Search.ListCount));
    emit changed();
}

void SearchOptions::SortChosen(QAction* item) {
    item->setChecked(true);
    SortFromMenu();
    emit changed();
}

void SearchOptions::ContentsChosen(QAction* item) {
    item->setChecked(true);
    const bool on = item == m_contentsOn;
    m_settings.Search.ShowContents = FlagText(on);
    m_boxes.contents->setChecked(on);
    emit changed();
}

bool SearchOptions::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_boxes.count && event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
        TakeCountFromBox();
    }
    return QObject::eventFilter(watched, event);
}
