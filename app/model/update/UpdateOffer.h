// What an offer of a newer version shows.
#pragma once

#include <QString>

struct UpdateOffer {
    QString version;
    QString detail;
    QString url;
    QString defaultFileName;
};
