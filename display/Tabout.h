#pragma once

#include <QDialog>

// The about box: program name, version, maker and the date the program was built.
class TWabout : public QDialog {
    Q_OBJECT
public:
    explicit TWabout(QWidget* parent = nullptr);

public slots:
    void bt_okClick();
};
