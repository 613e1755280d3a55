#pragma once

#include "PageBase.h"
#include "PageServices.h"

// The Batch tab: converts a list of pictures into one format.
// For now only the controls of its template.
class BatchPage : public PageBase {
    Q_OBJECT

public:
    explicit BatchPage(const PageServices& services);

private:
    PageServices m_services;
};
