// Settings dialog: the recording format (DSD or PCM) with a sampling frequency for each,
// the PCM bit depth and file format (WAV or FLAC), the folder for temporary files with an estimate of the maximum
// recording time, and the connected device's product name and firmware version.
// The control manager fills it from the settings manager before it runs and reads the
// values back after OK.
#pragma once

#include "cartova.h"
#include "control/DialogService.h"
#include "settings/DeviceIdentity.h"

#include <QDialog>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class FocusableComboBox;
class LabelTextField;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QWidget;
class SettingManager;

class SettingDialog : public QDialog {
    Q_OBJECT
public:
    // Asks for a folder, starting at the given one; empty when the user cancels.
    using FolderChooser = std::function<QString(const QString& title, const QString& startFolder)>;

    explicit SettingDialog(QWidget* parent = nullptr);

    // Values the caller reads and writes.
    bool isRecModeDsd() const;
    void setIsRecModeDsd(bool dsd);
    int64_t DsdSamplingRate() const;      // -1 when nothing is selected
    void setDsdSamplingRate(uint64_t rate); // selects the item with that value if present
    int64_t PcmSamplingRate() const;
    void setPcmSamplingRate(uint64_t rate);
    int PcmBitDepth() const;              // 16, 24, or -1 when nothing is selected
    void setPcmBitDepth(int bits);        // 24 selects "24 bit", anything else "16 bit"
    TkPcmFileFormat PcmFileFormat() const;
    void setPcmFileFormat(TkPcmFileFormat format); // anything but FLAC selects WAV
    QString temporaryDirectory() const;
    void setTemporaryDirectory(const QString& path);
    QString defaultDirectory() const { return m_defaultDirectory; }
    void setDefaultDirectory(const QString& path) { m_defaultDirectory = path; }
    std::vector<uint64_t> availableFreq_DSD() const;
    void setAvailableFreq_DSD(const std::vector<uint64_t>& list);
    std::vector<uint64_t> availableFreq_PCM() const;
    void setAvailableFreq_PCM(const std::vector<uint64_t>& list);

    // Shows the device and refreshes the frequency lists from the manager.
    void setSettingManager(SettingManager* manager);
    void SetVid(int32_t vid, int32_t pid);
    void updateDropdown();
    void updateMaxTime();
    // Minutes for the folder at the current format; false when its free space is unknown.
    bool calculateMaxRecordTime(int64_t& minutes, const QString& directory);

    void selectFirstTab();
    void selectTemporaryTab();

    // Commands of the dialog's controls.
    void DSDClicked();
    void PCMClicked();
    void BrowseClicked();
    void ResetClicked();
    void OkClicked();
    void CancelClicked();

    // Seams: where product name and firmware come from, how a folder is chosen and how
    // alerts are shown.
    void setUsbDeviceLookup(UsbDeviceLookup lookup) { m_usbLookup = std::move(lookup); }
    void setFolderChooser(FolderChooser chooser) { m_chooseFolder = std::move(chooser); }
    void setAlertHandler(AlertHandler handler) { m_alert = std::move(handler); }
    using FreeSpaceQuery = std::function<std::optional<uint64_t>(const QString& folder)>;
    void setFreeSpaceQuery(FreeSpaceQuery query) { m_freeSpace = std::move(query); }

    // What the dialog shows, for tests and the window's owner.
    QString deviceNameText() const;
    QString versionText() const;
    QString maxTimeText() const;
    bool isMaxTimeShown() const;
    bool isMaxTimeMaxShown() const;
    bool isMaxTimeErrShown() const;
    bool isDsdEnabled() const;
    bool isPcmEnabled() const;
    bool isDsdComboEnabled() const;
    bool isPcmComboEnabled() const;
    bool isBitDepthComboEnabled() const;
    bool isFileFormatComboEnabled() const;
    QString pcmButtonText() const;
    // The combo texts, e.g. "44.1 kHz".
    QStringList dsdFrequencyTexts() const;
    QStringList pcmFrequencyTexts() const;

private:
    void buildControls();
    void applyTexts();
    void showPcmExtension();
    void onTabChanged(int index);
    static void Refill(FocusableComboBox* combo, const std::vector<uint64_t>& list);
    static void SelectValue(FocusableComboBox* combo, uint64_t value);
    static int64_t SelectedValue(const FocusableComboBox* combo);
    static std::vector<uint64_t> Values(const FocusableComboBox* combo);
    static void SetGreyed(QWidget* label, bool greyed);
    bool alert(AlertKind kind, const QString& message);

    std::vector<uint64_t> m_defaultDsd{2822400, 5644800};
    std::vector<uint64_t> m_defaultPcm{44100, 48000, 96000, 192000};
    QString m_defaultDirectory;
    SettingManager* m_settingManager = nullptr;
    bool m_recModeDsd = true;
    UsbDeviceLookup m_usbLookup;
    FolderChooser m_chooseFolder;
    AlertHandler m_alert;
    FreeSpaceQuery m_freeSpace;

    LabelTextField* label_device_name = nullptr;
    LabelTextField* label_device_name2 = nullptr;
    LabelTextField* label_version = nullptr;
    QPushButton* button_cancel = nullptr;
    QPushButton* button_ok = nullptr;
    QTabWidget* tab_view = nullptr;
    QWidget* tab_format = nullptr;
    LabelTextField* label_dsd_frequency = nullptr;
    LabelTextField* label_pcm_frequency = nullptr;
    LabelTextField* label_bit_depth = nullptr;
    LabelTextField* label_file_format = nullptr;
    QRadioButton* button_dsd = nullptr; // its text is the format's label
    QRadioButton* button_pcm = nullptr;
    FocusableComboBox* combo_dsd_frequency = nullptr;
    FocusableComboBox* combo_pcm_frequency = nullptr;
    FocusableComboBox* combo_bit_depth = nullptr;
    FocusableComboBox* combo_file_format = nullptr;
    QWidget* tab_temporary = nullptr;
    QLabel* label_path = nullptr;
    LabelTextField* label_max_time = nullptr;
    LabelTextField* label_max_time_max = nullptr;
    LabelTextField* label_max_time_err = nullptr;
    QPushButton* button_browse = nullptr;
    QPushButton* button_reset = nullptr;
};
