// Words for the framework's codes, for the tool's messages.
#pragma once

#include <string>

#include "cartova.h"

// "device not found or gone" etc. for a TkError.
std::string DescribeError(TkError error);
// A sentence for an error notification, with its message when there is one.
std::string DescribeNotifyError(TkNotifyError code, const std::string& message);
// A sentence for an operation notification.
std::string DescribeOperation(TkRecOperation operation);
