#pragma once

// What a page is, for the controller's decisions; GetPageName stays for the debugger output.
enum class PageKind {
    Language,
    Loading,
    Welcome,  // the welcome page or, in the branded build, the licence page
    Heritage,
    Offer,
    Download,
    Finish,
    Error,
};
