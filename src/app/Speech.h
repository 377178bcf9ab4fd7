// Windows' speech, where it is there: speaks a short text (a profile's name)
// without waiting. Where no voice is installed or the speech fails, nothing
// is said and nothing is reported: the sound before it has told the number.
#pragma once

#include <string>

struct ISpVoice;

class Speech {
public:
    Speech() = default;
    ~Speech();
    Speech(const Speech&) = delete;
    Speech& operator=(const Speech&) = delete;

    // User-interface thread only: its apartment is single-threaded and its
    // message loops pump, as an asynchronous voice needs. Ends what is still
    // being said.
    void Say(const std::u16string& text);
    // Lets go of the voice and of COM; before the thread's windows go.
    void Close();

private:
    bool tried = false;  // the voice is made once, on first use
    bool comInitialised = false;
    ISpVoice* voice = nullptr;
};
