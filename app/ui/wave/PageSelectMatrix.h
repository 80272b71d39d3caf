// The main window's page selector object: the wide scale's row of page buttons.
#pragma once

#include "wave/PageSelectorMatrix.h"

class PageSelectMatrix : public PageSelectorMatrix {
    Q_OBJECT
public:
    using PageSelectorMatrix::PageSelectorMatrix;
};
