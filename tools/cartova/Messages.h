// Words for the framework's codes, for the tool's messages.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "cartova.h"

// "device not found or gone" etc. for a TkError.
std::string DescribeError(TkError error);
// A sentence for an error notification, with its message when there is one.
std::string DescribeNotifyError(TkNotifyError code, const std::string& message);
// A sentence for an operation notification.
std::string DescribeOperation(TkRecOperation operation);
// Where audio was lost in the recording and how much, one line a gap, then a
// line with the count and the total; nothing when no audio was lost.
std::vector<std::string> DescribeDroppedAudio(const TkDroppedAudio* gaps, size_t count);
