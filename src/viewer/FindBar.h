#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QToolButton;

// The small find bar under a document view (Ctrl+F): a text to look for instead of the query's
// words, with buttons to step to the next and the previous occurrence. Enter steps forward,
// Shift+Enter back, Esc closes the bar.
class FindBar final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FindBar)

public:
    explicit FindBar(QWidget* parent = nullptr);
    ~FindBar() override;

    // Shows the bar with its text selected and the focus in it.
    void Open();
    QString Text() const;
    // What the last step found: false shows "見つかりません".
    void SetFound(bool found);

    QLineEdit* edtFind = nullptr;
    QToolButton* btnFindPrevious = nullptr;
    QToolButton* btnFindNext = nullptr;
    QToolButton* btnFindClose = nullptr;

signals:
    void textEdited(const QString& text);
    void stepRequested(int step);  // +1 next, -1 previous
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* lblFindState = nullptr;
};
