// Controls, value rules, device identity and temporary-folder choice of the settings dialog.
#include "settings/SettingDialog.h"

#include "look/DarkLook.h"
#include "settings/SettingManager.h"
#include "controls/FocusableComboBox.h"
#include "save/AlertDialog.h"
#include "controls/LabelBackgroundView.h"
#include "controls/LabelTextField.h"
#include "settings/MaxRecordTime.h"
#include "settings/SamplingRateFormatter.h"
#include "settings/TemporaryFolderCheck.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const QColor kNormalText(0xE5, 0xE5, 0xE5);
const QColor kGreyText(0x6B, 0x71, 0x78);

QString Colon(const QString& text)
{
    return text + QStringLiteral(" :");
}

} // namespace

SettingDialog::SettingDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("setting_dialog"));
    ApplyDialogLook(this);
    // Stand-alone alerts over this dialog; the dialog service gives its own handler.
    m_alert = [this](AlertKind kind, const QString& message, const QString& information) {
        switch (kind) {
        case AlertKind::OkCancel:
            return AlertDialog::OkCancelAlertWithMessage(message, information, this);
        case AlertKind::YesNo:
            return AlertDialog::YesNoAlertWithMessage(message, information, this);
        case AlertKind::Ok:
            break;
        }
        AlertDialog::OkAlertWithMessage(message, information, this);
        return true;
    };
    m_chooseFolder = [this](const QString& title, const QString& start) {
        return QFileDialog::getExistingDirectory(this, title, start, QFileDialog::ShowDirsOnly);
    };
    m_usbLookup = [this](int32_t vid, int32_t pid) -> std::optional<UsbDeviceEntry> {
        return m_settingManager ? m_settingManager->usbDevice(vid, pid) : std::nullopt;
    };
    m_freeSpace = FolderFreeBytes;
    buildControls();

    // The state the dialog starts in: default lists, first items, DSD chosen, no device.
    label_device_name2->setText(QStringLiteral("QT-LVXXXXUSB"));
    label_path->clear();
    label_max_time->clear();
    Refill(combo_dsd_frequency, m_defaultDsd);
    Refill(combo_pcm_frequency, m_defaultPcm);
    combo_bit_depth->addItem(tr("16 bit"));
    combo_bit_depth->addItem(tr("24 bit"));
    combo_bit_depth->setCurrentIndex(0);
    combo_file_format->addItem(QStringLiteral("WAV"), TkPcmFileFormatWav);
    combo_file_format->addItem(QStringLiteral("FLAC"), TkPcmFileFormatFlac);
    combo_file_format->setCurrentIndex(0);
    connect(combo_file_format, &QComboBox::currentIndexChanged, this, &SettingDialog::showPcmExtension);
    connect(tab_view, &QTabWidget::currentChanged, this, &SettingDialog::onTabChanged);
    DSDClicked();
    applyTexts();
    label_max_time->hide();
    label_max_time_max->hide();
    label_max_time_err->hide();
}

void SettingDialog::buildControls()
{
    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(20, 18, 20, 16);
    top->setSpacing(12);

    // Device identity.
    auto* device = new LabelBackgroundView(this);
    auto* deviceGrid = new QGridLayout(device);
    deviceGrid->setContentsMargins(12, 8, 12, 8);
    label_device_name = new LabelTextField(QString(), device);
    label_device_name2 = new LabelTextField(QString(), device);
    label_version = new LabelTextField(QString(), device);
    QFont nameFont = label_device_name2->font();
    nameFont.setBold(true);
    label_device_name2->setFont(nameFont);
    label_version->setStyleSheet(QStringLiteral("color: #B3B3B3;"));
    deviceGrid->addWidget(label_device_name, 0, 0);
    deviceGrid->addWidget(label_device_name2, 0, 1);
    deviceGrid->addWidget(label_version, 1, 1);
    deviceGrid->setColumnStretch(1, 1);
    top->addWidget(device);

    tab_view = new QTabWidget(this);
    tab_view->setDocumentMode(false);

    // Format page.
    tab_format = new QWidget;
    auto* format = new QGridLayout(tab_format);
    format->setContentsMargins(18, 16, 18, 16);
    format->setHorizontalSpacing(14);
    format->setVerticalSpacing(10);
    button_dsd = new QRadioButton(tab_format);
    button_dsd->setObjectName(QStringLiteral("button_dsd"));
    button_pcm = new QRadioButton(tab_format);
    button_pcm->setObjectName(QStringLiteral("button_pcm"));
    label_dsd_frequency = new LabelTextField(QString(), tab_format);
    label_pcm_frequency = new LabelTextField(QString(), tab_format);
    label_bit_depth = new LabelTextField(QString(), tab_format);
    label_file_format = new LabelTextField(QString(), tab_format);
    combo_dsd_frequency = new FocusableComboBox(tab_format);
    combo_dsd_frequency->setObjectName(QStringLiteral("combo_dsd_frequency"));
    combo_pcm_frequency = new FocusableComboBox(tab_format);
    combo_pcm_frequency->setObjectName(QStringLiteral("combo_pcm_frequency"));
    combo_bit_depth = new FocusableComboBox(tab_format);
    combo_bit_depth->setObjectName(QStringLiteral("combo_bit_depth"));
    combo_file_format = new FocusableComboBox(tab_format);
    combo_file_format->setObjectName(QStringLiteral("combo_file_format"));
    format->addWidget(button_dsd, 0, 0, 1, 3);
    format->addWidget(label_dsd_frequency, 1, 1, Qt::AlignRight);
    format->addWidget(combo_dsd_frequency, 1, 2);
    format->setRowMinimumHeight(2, 8);
    format->addWidget(button_pcm, 3, 0, 1, 3);
    format->addWidget(label_pcm_frequency, 4, 1, Qt::AlignRight);
    format->addWidget(combo_pcm_frequency, 4, 2);
    format->addWidget(label_bit_depth, 5, 1, Qt::AlignRight);
    format->addWidget(combo_bit_depth, 5, 2);
    format->addWidget(label_file_format, 6, 1, Qt::AlignRight);
    format->addWidget(combo_file_format, 6, 2);
    format->setColumnMinimumWidth(0, 16);
    format->setColumnStretch(3, 1);
    format->setRowStretch(7, 1);
    connect(button_dsd, &QRadioButton::clicked, this, &SettingDialog::DSDClicked);
    connect(button_pcm, &QRadioButton::clicked, this, &SettingDialog::PCMClicked);
    tab_view->addTab(tab_format, QString());

    // Temporary files page.
    tab_temporary = new QWidget;
    auto* temp = new QVBoxLayout(tab_temporary);
    temp->setContentsMargins(18, 16, 18, 16);
    temp->setSpacing(10);
    auto* pathBox = new LabelBackgroundView(tab_temporary);
    auto* pathLayout = new QHBoxLayout(pathBox);
    pathLayout->setContentsMargins(10, 7, 10, 7);
    label_path = new QLabel(pathBox);
    label_path->setObjectName(QStringLiteral("label_path"));
    label_path->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label_path->setWordWrap(true);
    label_path->setMinimumWidth(340);
    pathLayout->addWidget(label_path);
    temp->addWidget(pathBox);
    auto* buttons = new QHBoxLayout;
    button_browse = new QPushButton(tab_temporary);
    button_browse->setObjectName(QStringLiteral("button_browse"));
    button_reset = new QPushButton(tab_temporary);
    button_reset->setObjectName(QStringLiteral("button_reset"));
    buttons->addStretch();
    buttons->addWidget(button_reset);
    buttons->addWidget(button_browse);
    temp->addLayout(buttons);
    label_max_time = new LabelTextField(QString(), tab_temporary);
    label_max_time_max = new LabelTextField(QString(), tab_temporary);
    label_max_time_err = new LabelTextField(QString(), tab_temporary);
    for (LabelTextField* l : {label_max_time, label_max_time_max, label_max_time_err}) {
        l->setWordWrap(true);
        temp->addWidget(l);
    }
    label_max_time_err->setStyleSheet(QStringLiteral("color: #FF8A80;"));
    temp->addStretch();
    connect(button_browse, &QPushButton::clicked, this, &SettingDialog::BrowseClicked);
    connect(button_reset, &QPushButton::clicked, this, &SettingDialog::ResetClicked);
    tab_view->addTab(tab_temporary, QString());
    top->addWidget(tab_view, 1);

    auto* bottom = new QHBoxLayout;
    button_cancel = new QPushButton(this);
    button_cancel->setObjectName(QStringLiteral("button_cancel"));
    button_ok = new QPushButton(this);
    button_ok->setObjectName(QStringLiteral("button_ok"));
    button_ok->setDefault(true);
    bottom->addStretch();
    bottom->addWidget(button_cancel);
    bottom->addWidget(button_ok);
    top->addLayout(bottom);
    connect(button_ok, &QPushButton::clicked, this, &SettingDialog::OkClicked);
    connect(button_cancel, &QPushButton::clicked, this, &SettingDialog::CancelClicked);
}

void SettingDialog::applyTexts()
{
    setWindowTitle(tr("Settings"));
    label_device_name->setText(Colon(tr("Device Name")));
    if (label_version->text().isEmpty() && label_device_name2->text() == QLatin1String("QT-LVXXXXUSB"))
        label_version->setText(tr("Software Version"));
    button_cancel->setText(tr("Cancel"));
    button_ok->setText(tr("OK"));
    tab_view->setTabText(tab_view->indexOf(tab_format), tr("Format"));
    label_dsd_frequency->setText(Colon(tr("Sampling Frequency")));
    label_pcm_frequency->setText(Colon(tr("Sampling Frequency")));
    label_bit_depth->setText(Colon(tr("Bit Depth")));
    label_file_format->setText(Colon(tr("File Format")));
    button_dsd->setText(tr("DSD (.dsf)"));
    showPcmExtension();
    tab_view->setTabText(tab_view->indexOf(tab_temporary), tr("Temporary file storage "));
    label_max_time_max->setText(tr("Recording is available within the limit of the recording time."));
    label_max_time_err->setText(tr("Failed to use the folder specified as the temporary file storage."));
    button_browse->setText(tr("Browse\u2026"));
    button_reset->setText(tr("Reset to default"));
}

// ---- values --------------------------------------------------------------------------

bool SettingDialog::isRecModeDsd() const
{
    return button_dsd->isChecked();
}

void SettingDialog::setIsRecModeDsd(bool flag)
{
    const bool dsdHas = combo_dsd_frequency->count() > 0;
    const bool pcmHas = combo_pcm_frequency->count() > 0;
    bool dsd = flag;
    if (dsdHas && !pcmHas)
        dsd = true;
    else if (pcmHas && !dsdHas)
        dsd = false;
    m_recModeDsd = dsd;
    button_dsd->setChecked(dsd);
    button_pcm->setChecked(!dsd);
    combo_dsd_frequency->setEnabled(dsd);
    combo_pcm_frequency->setEnabled(!dsd);
    combo_bit_depth->setEnabled(!dsd);
    combo_file_format->setEnabled(!dsd);
    SetGreyed(label_dsd_frequency, !dsd);
    SetGreyed(label_pcm_frequency, dsd);
    SetGreyed(label_bit_depth, dsd);
    SetGreyed(label_file_format, dsd);
}

int64_t SettingDialog::DsdSamplingRate() const
{
    return SelectedValue(combo_dsd_frequency);
}

void SettingDialog::setDsdSamplingRate(uint64_t rate)
{
    SelectValue(combo_dsd_frequency, rate);
}

int64_t SettingDialog::PcmSamplingRate() const
{
    return SelectedValue(combo_pcm_frequency);
}

void SettingDialog::setPcmSamplingRate(uint64_t rate)
{
    SelectValue(combo_pcm_frequency, rate);
}

int SettingDialog::PcmBitDepth() const
{
    switch (combo_bit_depth->currentIndex()) {
    case 0:
        return 16;
    case 1:
        return 24;
    default:
        return -1;
    }
}

void SettingDialog::setPcmBitDepth(int bits)
{
    combo_bit_depth->setCurrentIndex(bits == 24 ? 1 : 0);
}

TkPcmFileFormat SettingDialog::PcmFileFormat() const
{
    return combo_file_format->currentData().toInt() == TkPcmFileFormatFlac ? TkPcmFileFormatFlac : TkPcmFileFormatWav;
}

void SettingDialog::setPcmFileFormat(TkPcmFileFormat format)
{
    combo_file_format->setCurrentIndex(combo_file_format->findData(format == TkPcmFileFormatFlac ? TkPcmFileFormatFlac
                                                                                                 : TkPcmFileFormatWav));
}

void SettingDialog::showPcmExtension()
{
    // The PCM choice names the extension its tracks will be written with.
    button_pcm->setText(PcmFileFormat() == TkPcmFileFormatFlac ? tr("PCM (.flac)") : tr("PCM (.wav)"));
}

QString SettingDialog::temporaryDirectory() const
{
    return label_path->text();
}

void SettingDialog::setTemporaryDirectory(const QString& path)
{
    label_path->setText(path);
}

std::vector<uint64_t> SettingDialog::availableFreq_DSD() const
{
    return Values(combo_dsd_frequency);
}

std::vector<uint64_t> SettingDialog::availableFreq_PCM() const
{
    return Values(combo_pcm_frequency);
}

void SettingDialog::setAvailableFreq_DSD(const std::vector<uint64_t>& list)
{
    Refill(combo_dsd_frequency, list);
    if (!list.empty()) {
        if (!button_pcm->isEnabled())
            DSDClicked();
        button_dsd->setEnabled(true);
    } else {
        if (button_pcm->isEnabled())
            PCMClicked();
        button_dsd->setEnabled(false);
    }
}

void SettingDialog::setAvailableFreq_PCM(const std::vector<uint64_t>& list)
{
    Refill(combo_pcm_frequency, list);
    if (!list.empty()) {
        if (!button_dsd->isEnabled())
            PCMClicked();
        button_pcm->setEnabled(true);
    } else {
        if (button_dsd->isEnabled())
            DSDClicked();
        button_pcm->setEnabled(false);
    }
}

void SettingDialog::Refill(FocusableComboBox* combo, const std::vector<uint64_t>& list)
{
    const int64_t remembered = SelectedValue(combo);
    combo->clear();
    combo->setEditText(QString());
    for (uint64_t hz : list)
        combo->addItem(SamplingRateFormatter::TextForRate(hz), QVariant::fromValue<qulonglong>(hz));
    if (list.empty())
        return;
    combo->setCurrentIndex(0);
    if (remembered >= 0)
        SelectValue(combo, static_cast<uint64_t>(remembered));
}

void SettingDialog::SelectValue(FocusableComboBox* combo, uint64_t value)
{
    const int index = combo->findData(QVariant::fromValue<qulonglong>(value));
    if (index >= 0)
        combo->setCurrentIndex(index);
}

int64_t SettingDialog::SelectedValue(const FocusableComboBox* combo)
{
    if (combo->currentIndex() < 0)
        return -1;
    return static_cast<int64_t>(combo->currentData().toULongLong());
}

std::vector<uint64_t> SettingDialog::Values(const FocusableComboBox* combo)
{
    std::vector<uint64_t> values;
    for (int i = 0; i < combo->count(); ++i)
        values.push_back(combo->itemData(i).toULongLong());
    return values;
}

void SettingDialog::SetGreyed(QWidget* label, bool greyed)
{
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, greyed ? kGreyText : kNormalText);
    label->setPalette(pal);
    label->setStyleSheet(QStringLiteral("color: %1;").arg((greyed ? kGreyText : kNormalText).name()));
    label->setProperty("greyed", greyed);
}

// ---- device --------------------------------------------------------------------------

void SettingDialog::setSettingManager(SettingManager* manager)
{
    m_settingManager = manager;
    if (!manager)
        return;
    int32_t vid = -1;
    int32_t pid = -1;
    manager->GetVid(vid, pid);
    SetVid(vid, pid);
    updateDropdown();
}

void SettingDialog::SetVid(int32_t vid, int32_t pid)
{
    label_device_name2->setText(QStringLiteral("---"));
    label_version->clear();
    if (vid < 0 || pid < 0 || !m_usbLookup)
        return;
    const std::optional<UsbDeviceEntry> entry = m_usbLookup(vid, pid);
    if (!entry)
        return;
    label_device_name2->setText(entry->productName);
    if (entry->bcdDevice)
        label_version->setText(tr("Software Version") + FirmwareVersionSuffix(*entry->bcdDevice));
}

void SettingDialog::updateDropdown()
{
    if (!m_settingManager)
        return;
    m_settingManager->RecognizeDevice();
    m_settingManager->FetchDriverInfo();
    const auto dsd = m_settingManager->GetAvailableFreq_DSD();
    const auto pcm = m_settingManager->GetAvailableFreq_PCM();
    if (!dsd && !pcm) {
        setAvailableFreq_DSD(m_defaultDsd);
        setAvailableFreq_PCM(m_defaultPcm);
        return;
    }
    const std::vector<uint64_t> dsdList = dsd ? std::vector<uint64_t>(dsd->begin(), dsd->end()) : std::vector<uint64_t>{};
    const std::vector<uint64_t> pcmList = pcm ? std::vector<uint64_t>(pcm->begin(), pcm->end()) : std::vector<uint64_t>{};
    if (!pcmList.empty() && dsdList.empty())
        PCMClicked();
    setAvailableFreq_DSD(dsdList);
    setAvailableFreq_PCM(pcmList);
}

// ---- format --------------------------------------------------------------------------

void SettingDialog::DSDClicked()
{
    setIsRecModeDsd(true);
}

void SettingDialog::PCMClicked()
{
    setIsRecModeDsd(false);
}

// ---- temporary folder ----------------------------------------------------------------

bool SettingDialog::calculateMaxRecordTime(int64_t& minutes, const QString& directory)
{
    minutes = 0;
    const bool dsd = isRecModeDsd();
    const int64_t chosenRate = dsd ? DsdSamplingRate() : PcmSamplingRate();
    const uint64_t rate = chosenRate > 0 ? static_cast<uint64_t>(chosenRate) : 0;
    std::optional<int64_t> estimate;
    if (m_settingManager) {
        // What the framework left behind there is not counted against the free space.
        m_settingManager->deleteTempLeftovers(directory);
        estimate = m_settingManager->maxRecordMinutes(directory, dsd, rate, m_freeSpace);
    } else {
        estimate = MaxRecordMinutes(directory, RecordSpaceFormatFor(dsd, rate, nullptr), m_freeSpace);
    }
    if (!estimate)
        return false;
    minutes = *estimate;
    return true;
}

void SettingDialog::updateMaxTime()
{
    label_max_time->hide();
    label_max_time_max->hide();
    label_max_time_err->hide();
    int64_t minutes = 0;
    if (!calculateMaxRecordTime(minutes, label_path->text())) {
        label_max_time_err->show();
    } else if (minutes <= 99) {
        label_max_time->setText(MaxRecordTimeText(minutes));
        label_max_time->show();
    } else {
        label_max_time_max->show();
    }
}

bool SettingDialog::alert(AlertKind kind, const QString& message)
{
    return m_alert ? m_alert(kind, message, QString()) : true;
}

void SettingDialog::BrowseClicked()
{
    const QString current = label_path->text();
    const QString start = (!current.isEmpty() && QFileInfo(current).isDir()) ? current : m_defaultDirectory;
    const QString chosen = m_chooseFolder ? m_chooseFolder(tr("Browse Folders"), start) : QString();
    if (chosen.isEmpty())
        return;
    if (!IsLocalVolume(chosen) || !IsWritableFolder(chosen)) {
        alert(AlertKind::Ok, tr("You cannot specify the folder as the temporary file storage."));
        return;
    }
    if (IsOnOtherVolume(chosen, m_defaultDirectory) &&
        !alert(AlertKind::YesNo, tr("With the drive other than the default one, access speed may become slower, "
                                    "causing the delay of waveform drawing or sound skipping.")))
        return;
    label_path->setText(chosen);
    updateMaxTime();
}

void SettingDialog::ResetClicked()
{
    label_path->setText(m_defaultDirectory);
    updateMaxTime();
}

void SettingDialog::OkClicked()
{
    done(1);
    hide();
}

void SettingDialog::CancelClicked()
{
    done(0);
    hide();
}

void SettingDialog::selectFirstTab()
{
    tab_view->setCurrentIndex(0);
}

void SettingDialog::selectTemporaryTab()
{
    tab_view->setCurrentIndex(tab_view->indexOf(tab_temporary));
}

void SettingDialog::onTabChanged(int index)
{
    QWidget* page = tab_view->widget(index);
    if (page == tab_format)
        updateDropdown();
    else if (page == tab_temporary)
        updateMaxTime();
}

// ---- what is shown -------------------------------------------------------------------

QString SettingDialog::deviceNameText() const { return label_device_name2->text(); }
QString SettingDialog::versionText() const { return label_version->text(); }
QString SettingDialog::maxTimeText() const { return label_max_time->text(); }
bool SettingDialog::isMaxTimeShown() const { return !label_max_time->isHidden(); }
bool SettingDialog::isMaxTimeMaxShown() const { return !label_max_time_max->isHidden(); }
bool SettingDialog::isMaxTimeErrShown() const { return !label_max_time_err->isHidden(); }
bool SettingDialog::isDsdEnabled() const { return button_dsd->isEnabled(); }
bool SettingDialog::isPcmEnabled() const { return button_pcm->isEnabled(); }
bool SettingDialog::isDsdComboEnabled() const { return combo_dsd_frequency->isEnabled(); }
bool SettingDialog::isPcmComboEnabled() const { return combo_pcm_frequency->isEnabled(); }
bool SettingDialog::isBitDepthComboEnabled() const { return combo_bit_depth->isEnabled(); }
bool SettingDialog::isFileFormatComboEnabled() const { return combo_file_format->isEnabled(); }
QString SettingDialog::pcmButtonText() const { return button_pcm->text(); }

QStringList SettingDialog::dsdFrequencyTexts() const
{
    QStringList texts;
    for (int i = 0; i < combo_dsd_frequency->count(); ++i)
        texts << combo_dsd_frequency->itemText(i);
    return texts;
}

QStringList SettingDialog::pcmFrequencyTexts() const
{
    QStringList texts;
    for (int i = 0; i < combo_pcm_frequency->count(); ++i)
        texts << combo_pcm_frequency->itemText(i);
    return texts;
}
