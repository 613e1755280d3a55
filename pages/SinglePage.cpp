#include "SinglePage.h"

SinglePage::SinglePage(const PageServices& services)
    : m_services(services)
{
}
