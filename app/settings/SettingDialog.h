// Settings dialog: recording format, rates, bit depth and temporary folder.
#pragma once

#include <QDialog>
#include <cstdint>

class QComboBox;
class QLineEdit;
class SettingManager;

class SettingDialog : public QDialog {
    Q_OBJECT
public:
    explicit SettingDialog(QWidget* parent = nullptr);

    void setIsRecModeDsd(bool dsd);
    bool isRecModeDsd() const;
    void setDsdSamplingRate(uint64_t rate) { m_dsdRate = rate; }
    uint64_t DsdSamplingRate() const { return m_dsdRate; }
    void setPcmSamplingRate(uint64_t rate) { m_pcmRate = rate; }
    uint64_t PcmSamplingRate() const { return m_pcmRate; }
    void setPcmBitDepth(int16_t bits) { m_bits = bits; }
    int16_t PcmBitDepth() const { return m_bits; }
    void setTemporaryDirectory(const QString& path);
    QString temporaryDirectory() const;
    void setDefaultDirectory(const QString& path) { m_defaultDirectory = path; }
    void setSettingManager(SettingManager* manager) { m_settingManager = manager; }
    void selectFirstTab() {}

private:
    QComboBox* m_format = nullptr;
    QLineEdit* m_tempDir = nullptr;
    uint64_t m_dsdRate = 2822400;
    uint64_t m_pcmRate = 44100;
    int16_t m_bits = 16;
    QString m_defaultDirectory;
    SettingManager* m_settingManager = nullptr;
};
