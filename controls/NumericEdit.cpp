#include "controls/NumericEdit.h"

#include "controls/UpDown.h"
#include "services/UserPrompts.h"

#include <QKeyEvent>

TNumericEdit::TNumericEdit(QWidget* Parent) : QLineEdit(Parent) {}

bool TNumericEdit::ParseValue(const QString& Text, int& Value) {
    QString digits;
    for (QChar c : Text) {
        if (c == QLatin1Char(' '))
            continue;
        if (!c.isDigit() || c.unicode() > '9')
            return false;
        digits += c;
    }
    if (digits.isEmpty() || digits.size() > 5)
        return false;
    const int v = digits.toInt();
    if (v >= 32767)
        return false;
    Value = v;
    return true;
}

bool TNumericEdit::CheckLeft(IUserPrompts& Prompts, TUpDown& UpDown) {
    int value = 0;
    if (!ParseValue(text(), value)) {
        Prompts.MessageBox(TMsgType::Error, TMsgButtons::OK, QString(),
                           QStringLiteral("'%1' is not a valid integer value.").arg(text()));
        setText(Remembered);
        setFocus();
        return false;
    }
    UpDown.SetPosition(value);
    return true;
}

void TNumericEdit::keyPressEvent(QKeyEvent* Event) {
    const QString text = Event->text();
    const bool digit = text.size() == 1 && text[0] >= QLatin1Char('0') && text[0] <= QLatin1Char('9');
    const bool typing = !text.isEmpty() && text[0].isPrint();
    // Digits and backspace pass; other printable keys are dropped, while
    // navigation and shortcuts keep working.
    if (typing && !digit)
        return;
    QLineEdit::keyPressEvent(Event);
}

void TNumericEdit::focusInEvent(QFocusEvent* Event) {
    Remembered = text();
    QLineEdit::focusInEvent(Event);
}

void TNumericEdit::focusOutEvent(QFocusEvent* Event) {
    QLineEdit::focusOutEvent(Event);
    // Another window or a menu taking the focus is not leaving the field.
    if (Event->reason() != Qt::ActiveWindowFocusReason && Event->reason() != Qt::PopupFocusReason)
        emit Left();
}
