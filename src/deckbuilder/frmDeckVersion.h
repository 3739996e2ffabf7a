#pragma once
// The deck builder's own small version window; closed by its close box.

#include <QDialog>

class QLabel;
class QListWidget;

namespace lumi {

class frmDeckVersion : public QDialog {
    Q_OBJECT
public:
    explicit frmDeckVersion(QWidget* parent = nullptr);

    QLabel* Label1;
    QLabel* Label2;
    QListWidget* List1;
};

// "Version 0.54 β2 (build.0292)"
QString DeckBuilderVersionLine();

} // namespace lumi
