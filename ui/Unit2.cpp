#include "Unit2.h"

#include "BevelPanel.h"
#include "Placement.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace tarvolin {

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QRect geometry,
                  const QFont& font) {
    auto* label = Place(new QLabel(text, parent), name, text, geometry, font);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

} // namespace

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
    InitUiResources();
    // A fixed dialog frame: title and close button, no minimize, maximize or help button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    SetUpWindow(this, "Form2", QStringLiteral("About..."), {271, 135, 210, 302});

    Panel1 = Place(
        new BevelPanel(BevelPanel::Bevel::Raised, BevelPanel::Bevel::Lowered, kFormColor, this),
        "Panel1", QStringLiteral("Panel1"), {8, 8, 193, 257}, Arial(12));
    Label1 =
        MakeLabel(Panel1, "Label1", QStringLiteral("C- Tarvolin"), {48, 8, 108, 22}, Arial(19));
    Label2 =
        MakeLabel(Panel1, "Label2", QStringLiteral("ver 1.5"), {136, 40, 36, 15}, ArialNarrow(12));
    Label3 = MakeLabel(Panel1, "Label3", QStringLiteral("(C) 2025-2026, written by"),
                       {32, 80, 139, 15}, Arial(12));
    Label4 = MakeLabel(Panel1, "Label4", QStringLiteral("T-team"), {72, 112, 39, 15}, Arial(12));
    Label5 = MakeLabel(Panel1, "Label5",
                       QStringLiteral("E-mail:\n"
                                      "  tarvolin@example.org\n"
                                      "  help@example.com\n"
                                      "\n"
                                      "Home page:\n"
                                      "  www.example.org/tarvolin"),
                       {8, 152, 173, 90}, Arial(12));

    BitBtn1 = Place(new QPushButton(QStringLiteral("OK"), this), "BitBtn1", QStringLiteral("OK"),
                    {64, 272, 75, 25}, Arial(12));
    SetGlyph(BitBtn1, QStringLiteral("ok"));
    // The default button: Enter anywhere in the window presses it.
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}

void TForm2::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace tarvolin
