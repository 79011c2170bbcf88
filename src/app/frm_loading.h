#pragma once
// The small borderless "Please wait..." window shown while a model opens.

#include <QWidget>

class QFrame;
class QLabel;

class frmLoading : public QWidget {
    Q_OBJECT
public:
    explicit frmLoading(QWidget* parent = nullptr);

    QFrame* Frame1 = nullptr;
    QLabel* Label1 = nullptr;
};
