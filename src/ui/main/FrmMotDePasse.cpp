#include "ui/main/FrmMotDePasse.h"

#include "core/AppState.h"
#include "core/Prompts.h"
#include "core/settings/Variant.h"
#include "core/translation/Texts.h"
#include "ui/support/TextLoader.h"
#include "ui/support/WindowPlacement.h"

#include <QLineEdit>
#include <QVBoxLayout>

namespace tav {

FrmMotDePasse::FrmMotDePasse(AppState& s, QWidget* parent) : QDialog(parent), s_(s) {
    setObjectName(QStringLiteral("FrmMotDePasse"));
    TxtPWD = new QLineEdit(this);
    TxtPWD->setObjectName(QStringLiteral("TxtPWD"));
    TxtPWD->setEchoMode(QLineEdit::Password);
    TxtPWD->setStyleSheet(QStringLiteral("lineedit-password-character: 42")); // "*"
    TxtPWD->setMinimumWidth(220);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(TxtPWD);
    connect(TxtPWD, &QLineEdit::returnPressed, this, &FrmMotDePasse::TxtPWD_Enter);

    // Load.
    s_.MotDePasseValide = false;
    adjustSize();
    centreOnScreen(this);
    ChargerLangueCourante(s_);
    TextLoader(s_, QStringLiteral("FrmMotDePasse")).title(this);
}

void FrmMotDePasse::TxtPWD_Enter() {
    if (TxtPWD->text().compare(QString::fromUtf16(kAdminPassword), Qt::CaseInsensitive) == 0) {
        s_.MotDePasseValide = true;
        accept();
        return;
    }
    s_.prompts.message(QStringLiteral("Invalid password."), QStringLiteral("Password"),
                       PromptIcon::Critical);
    TxtPWD->clear();
}

} // namespace tav
