#pragma once

#include "PageBase.h"
#include "PageServices.h"

// The About tab: the program's name, version, terms and web site.
// For now only the controls of its template.
class AboutPage : public PageBase {
    Q_OBJECT

public:
    explicit AboutPage(const PageServices& services);

private:
    PageServices m_services;
};
