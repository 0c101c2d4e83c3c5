#pragma once

#include <QDialog>

class ProgressBar;

// The small window that shows a progress bar while the resource tree is being filled.
class frmWait : public QDialog {
    Q_OBJECT
public:
    explicit frmWait(bool lowColor, QWidget* parent = nullptr);

    ProgressBar* prgbar = nullptr;

private:
    void Form_Load(bool lowColor);
};
