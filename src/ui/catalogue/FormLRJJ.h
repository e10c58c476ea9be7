#pragma once

#include <QDialog>

class Shop;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class VcdPreview;

// 影碟简介: one disc's data, synopsis and cover.
class FormLRJJ : public QDialog
{
    Q_OBJECT
public:
    explicit FormLRJJ(Shop& shop, QWidget* parent = nullptr);
    // Fills the window for a disc picked in the query grid.
    void showDisc(const QString& bh);
    VcdPreview* preview() const { return preview_; }
    void done(int result) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private Q_SLOTS:
    void onCommandCKClicked();

private:
    // False when there is no such disc.
    bool load(const QString& bh);
    void clearDisc();

    Shop& shop_;
    QLineEdit* textBH_;
    QPlainTextEdit* textNRJJ_;
    QLabel* imageYDFM_;
    QList<QLabel*> labels_;
    VcdPreview* preview_;
};
