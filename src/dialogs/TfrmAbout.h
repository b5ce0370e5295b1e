#pragma once

#include <QDialog>
#include <functional>
#include <string>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
struct AppContext;

// The page each item of the About box's link menu opens, by the item's tag (1 to 5); empty for
// an unknown tag or when the program's own page cannot be found. `dataFolder` (the profile's)
// has its trailing separator.
std::string AboutPageForTag(int tag, const std::string& dataFolder);

// The About box: the program's name and version, and a menu of web pages.
class TfrmAbout final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmAbout)

public:
    // Opens a page; the desktop's "open" unless a test gives its own.
    using Opener = std::function<bool(const std::string&)>;

    explicit TfrmAbout(const AppContext& ctx, QWidget* owner = nullptr, Opener opener = {});

    void btnHomepageClick();
    void mnuWebPageClick(int tag);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QAction* AddLink(const char* name, const QString& caption, int tag);

    const AppContext& m_ctx;
    Opener m_opener;

    QLabel* lblProgram = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblCopyright = nullptr;
    QPushButton* btnHomepage = nullptr;
    QPushButton* btnOK = nullptr;
    QMenu* mnuLink = nullptr;
    QAction* mnuWebPageQuarrow = nullptr;
    QAction* mnuWebPageNamazu = nullptr;
    QAction* mnuWebPageNamazuWin32 = nullptr;
    QAction* mnuWebPagePnamazu = nullptr;
    QAction* mnuWebPageNamazuOS2 = nullptr;
};
