#pragma once

#include "PageBase.h"
#include "PageServices.h"

// The Single tab: converts one picture into any of the ticked formats.
// For now only the controls of its template.
class SinglePage : public PageBase {
    Q_OBJECT

public:
    explicit SinglePage(const PageServices& services);

private:
    PageServices m_services;
};
