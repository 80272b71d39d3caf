// The offer panel as the update check sees it: filled with the new version, its
// release notes and package address, then run modally. UpdateDialog is the real
// one; tests use a scripted one.
#pragma once

#include <QString>
#include <QUrl>

class UpdateOfferPanel {
public:
    // Closing codes of runModal.
    enum Code { Cancelled = 0, Downloaded = 1 };

    virtual ~UpdateOfferPanel() = default;
    virtual void setVersion(const QString& version) = 0;
    virtual void setDetail(const QString& detail) = 0;
    virtual void setTarget_URL(const QUrl& url) = 0;
    virtual void setDefault_file_name(const QString& name) = 0;
    virtual int runModal() = 0;
};
