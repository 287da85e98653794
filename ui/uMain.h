// The program's only window: the server field, the start and close buttons, and the
// notices that the calendar update run shows through it.
#pragma once

#include "update/CalendarUpdate.h"

#include <QDialog>

#include <string>
#include <string_view>

class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QShowEvent;
class TDM;

// A dialog, because a dialog gives the window its default button: Enter anywhere in
// the window presses the start button.
class TfrmMain : public QDialog, public update::RunWindow {
    Q_OBJECT

public:
    explicit TfrmMain(QWidget* parent = nullptr);

    // The data module is made after the window, which is the program's first object, so
    // start-up hands it over before the window is shown. It must outlive the window's
    // last handler.
    void setDataModule(TDM* dataModule);

    // What the run asks of the window; texts are Windows-1250.
    std::string serverFieldText() const override;
    void setStartCaption(std::string_view caption) override;
    // A stand-alone error box with one OK button that blocks the whole program until
    // it is dismissed; it has no owner, so it shows even before the window does.
    void showNotice(std::string_view text, std::string_view caption) override;
    // Queued, so that it also ends the program when asked before the event loop runs.
    void requestEnd() override;

    QGroupBox* const GroupBox1;
    QLabel* const Label1;
    QLineEdit* const Edit1;
    QPushButton* const BitBtn3;
    QPushButton* const BitBtn4;

public slots:
    // Reads the configured server into the field, connects quietly and, when that works,
    // runs the update at once; runs when the window is about to appear the first time.
    void FormShow();
    // The calendar update run with the field's current text.
    void BitBtn3Click();
    // Requests the end of the program, nothing else: the session closes when the data
    // module goes at exit.
    void BitBtn4Click();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void placeControls();
    void setCaptions();
    void connectHandlers();
    void centreOnScreen();

    TDM* DM = nullptr;
    bool formShowDone_ = false;
};
