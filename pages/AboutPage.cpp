#include "AboutPage.h"

AboutPage::AboutPage(const PageServices& services)
    : m_services(services)
{
}
