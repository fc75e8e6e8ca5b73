#pragma once

// Told by the language manager each time a language has been loaded, so that it can show the new
// texts. Listeners add and remove themselves (LanguageManager::AddListener, RemoveListener).
class LanguageListener {
public:
    virtual void OnTextsChanged() = 0;

protected:
    ~LanguageListener() = default;
};
