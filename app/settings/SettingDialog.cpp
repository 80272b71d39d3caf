// A plain settings form: format and temporary folder, OK and Cancel.
#include "settings/SettingDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

SettingDialog::SettingDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("setting_dialog"));
    setWindowTitle(tr("Preferences"));
    m_format = new QComboBox(this);
    m_format->addItems({QStringLiteral("PCM"), QStringLiteral("DSD")});
    m_tempDir = new QLineEdit(this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* form = new QFormLayout(this);
    form->addRow(tr("Format"), m_format);
    form->addRow(tr("Temporary file storage"), m_tempDir);
    form->addRow(buttons);
}

void SettingDialog::setIsRecModeDsd(bool dsd) { m_format->setCurrentIndex(dsd ? 1 : 0); }
bool SettingDialog::isRecModeDsd() const { return m_format->currentIndex() == 1; }
void SettingDialog::setTemporaryDirectory(const QString& path) { m_tempDir->setText(path); }
QString SettingDialog::temporaryDirectory() const { return m_tempDir->text(); }
