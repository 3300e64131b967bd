// Reading the five hero pictures of a render target. The pictures the first
// frame shows are decoded by the window thread as it draws them; the others on
// a thread of their own once that frame is on screen, into plain memory, so
// that neither the first frame nor the window thread waits for them. The
// carousel (render/carousel.h) turns what was decoded into device bitmaps.
#pragma once

#include "state/state.h"

#include <string>
#include <vector>

// One decoded picture file: premultiplied 32-bit BGRA, row after row.
struct DecodedPicture {
    UINT Width = 0;
    UINT Height = 0;
    std::vector<UINT32> Pixels; // empty when the file could not be read or decoded
};

// The reading of one folder's five files for one render target. Once the
// thread runs, it writes a picture and then sets its Decoded flag; the window
// thread reads the picture only after that.
struct PictureLoad {
    std::wstring Folder;           // the thread reads it
    int Order[5] = {};             // the thread's slots, in the order it decodes them
    int Count = 0;
    DecodedPicture Pictures[5];    // written by the thread
    volatile LONG Decoded[5] = {}; // InterlockedExchange by the thread, after its picture
    volatile LONG Stop = 0;        // set by the window thread: the thread leaves after the picture it decodes
    bool Taken[5] = {};            // window thread: the picture went to the carousel
    HANDLE Thread = nullptr;       // null when no thread could be started
    HANDLE Progress = nullptr;     // auto-reset; set after every picture and when the thread ends
    HWND Notify = nullptr;         // told of every picture with Message, so the window takes it over
    UINT Message = 0;
    HMODULE Module = nullptr;      // held by the thread while it runs
};

// hero1.png .. hero5.png of `folder`: slot i is hero(i+1).png. No thread yet.
PictureLoad *NewPictureLoad(const std::wstring &folder);
// Starts the thread on the slots not taken yet; it tells `notify` of each
// picture with `message`.
void StartPictureThread(PictureLoad &load, HWND notify, UINT message);
// Whether the slot's file has been dealt with, decoded or not. With `wait`,
// it is dealt with now: after waiting for the thread, or by the window thread
// itself where no thread does it.
bool PictureDecoded(PictureLoad &load, int slot, bool wait);
// Stops the thread after the picture it decodes, waits for it and frees the run.
void StopPictureLoad(PictureLoad *&load);

// Decodes one file with the given imaging factory; the format is taken from
// the content, whatever the name says.
bool DecodePicture(IWICImagingFactory *wic, const std::wstring &path, DecodedPicture &out);
