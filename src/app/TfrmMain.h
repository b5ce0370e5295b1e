#pragma once

#include <QMainWindow>

struct AppContext;

// The search window.
class TfrmMain final : public QMainWindow {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmMain)

public:
    explicit TfrmMain(AppContext& ctx, QWidget* parent = nullptr);
    ~TfrmMain() override;

private:
    void UpdateCaption();

    AppContext& m_ctx;
};
