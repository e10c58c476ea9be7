#pragma once

#include "core/rentals/Receipt.h"

#include <QPushButton>
#include <functional>
#include <optional>

class QPrinter;

// Draws a slip on narrow receipt paper of `widthMm`, the paper as long as
// the slip needs.
void PaintReceipt(const Receipt& receipt, int widthMm, QPrinter* printer);
void SetUpReceiptPaper(const Receipt& receipt, int widthMm, QPrinter& printer);

// 打印凭条 (CommandDYPT): there only while the shop prints slips; usable
// after a successful operation, for the slip of that operation.
class ReceiptButton : public QPushButton
{
    Q_OBJECT
public:
    explicit ReceiptButton(QWidget* parent);
    // Reads the slip of what was just done; a slip that cannot be read
    // leaves the button unusable and never spoils the operation itself.
    void offer(const std::function<Receipt()>& read);
    void withdraw();
    const std::optional<Receipt>& receipt() const { return receipt_; }

private:
    std::optional<Receipt> receipt_;
};
