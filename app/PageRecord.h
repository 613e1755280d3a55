#pragma once

#include <string>

class PageBase;

// What the tab control keeps about one of its pages. It does not own the
// page: the pages belong to the main dialog.
class PageRecord {
public:
    PageRecord(std::string name, PageBase* page);
    virtual ~PageRecord();

    PageRecord(const PageRecord&) = delete;
    PageRecord& operator=(const PageRecord&) = delete;

    std::string m_strName;     // "&Page1" and so on; kept, not shown
    PageBase* m_pPage;         // not owned
    int m_nX = 0;              // position in the tab control, pixels
    int m_nY = 0;
    int m_nWidth = 0;          // tab control size less 10; the page keeps its own size
    int m_nHeight = 0;
};
