// The main window in Qt Widgets: the designed controls, the notices, and the events
// passed on to the window's handlers.
#pragma once

#include "ui/MainWindowView.h"
#include "ui/uMain.h"

#include "ui_MainWindow.h"

#include <QDialog>

#include <filesystem>

class QKeyEvent;
class QShowEvent;
class TDM;

namespace ui {

// A dialog, because a dialog gives the window its default button: Enter anywhere in
// the window presses the start button.
class QtMainWindow : public QDialog, public MainWindowView {
    Q_OBJECT

public:
    // `dataModule` must outlive the window.
    QtMainWindow(TDM& dataModule, std::filesystem::path configurationFile, QWidget* parent = nullptr);

    const Ui::MainWindowForm& controls() const noexcept { return controls_; }

    std::string serverFieldText() const override;
    void setServerFieldText(std::string_view text) override;
    void setStartCaption(std::string_view caption) override;
    void showNotice(std::string_view text, std::string_view caption) override;
    // Queued, so that it also ends the program when asked before the event loop runs.
    void requestEnd() override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void useClassicStyle();

    Ui::MainWindowForm controls_;
    TfrmMain frmMain_;
    bool formShowDone_ = false;
};

}  // namespace ui
