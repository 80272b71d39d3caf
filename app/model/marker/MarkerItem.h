// One marker of a finished recording: its identifier, time, the "write this track" flag
// and the tags of the track that begins at it.
#pragma once

#include <QMap>
#include <QString>
#include <cstdint>

using MarkerTags = QMap<QString, QString>;

inline constexpr int32_t kStartMarkerId = 0;
inline constexpr int32_t kEndMarkerId = 61;
inline constexpr int32_t kNoMarkerId = -1; // all 32 bits set

class MarkerItem {
public:
    MarkerItem() = default;
    MarkerItem(int32_t id, double position) : m_MarkerId(id), m_Position(position) {}

    int32_t MarkerId() const { return m_MarkerId; }
    double Position() const { return m_Position; }
    void setPosition(double seconds) { m_Position = seconds; }
    bool Checked() const { return m_Checked; }
    void setChecked(bool checked) { m_Checked = checked; }
    const MarkerTags& Tags() const { return m_Tags; }
    bool hasTags() const { return m_hasTags; }
    void setTags(const MarkerTags& tags)
    {
        m_Tags = tags;
        m_hasTags = true;
    }

private:
    int32_t m_MarkerId = kNoMarkerId;
    double m_Position = -1.0;
    bool m_Checked = true;
    bool m_hasTags = false;
    MarkerTags m_Tags;
};

// Caption shown on a marker's head: "S" for the start marker, "E" for the end marker,
// the identifier in decimal for the others.
QString MarkerCaption(int32_t id);
