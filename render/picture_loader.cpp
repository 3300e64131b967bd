#include "render/picture_loader.h"

#include "render/resources.h"

#include <new>

namespace {

std::wstring PicturePath(const std::wstring &folder, int slot) {
    // Taken as given: a folder ending in a backslash yields two, which the file system accepts.
    return folder + L"\\hero" + std::to_wstring(slot + 1) + L".png";
}

// --- Loader thread ---

DWORD WINAPI DecodePictures(void *param) {
    PictureLoad &load = *static_cast<PictureLoad *>(param);
    const HMODULE module = load.Module;
    // A factory of its own, in an apartment of its own: the window thread's
    // factory belongs to the window thread's apartment.
    const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    IWICImagingFactory *wic = nullptr;
    if (FAILED(NewWicFactory(&wic)))
        wic = nullptr;
    for (int k = 0; wic && k < load.Count && !load.Stop; ++k) {
        const int slot = load.Order[k];
        DecodePicture(wic, PicturePath(load.Folder, slot), load.Pictures[slot]);
        InterlockedExchange(&load.Decoded[slot], 1);
        SetEvent(load.Progress);
        PostMessageW(load.Notify, load.Message, 0, 0);
    }
    ReleaseAndNull(wic);
    if (com)
        CoUninitialize();
    // What the thread left undone, the window thread decodes itself when it needs it.
    SetEvent(load.Progress);
    // The library stays loaded until this thread has left it.
    if (module)
        FreeLibraryAndExitThread(module, 0);
    return 0;
}

} // namespace

bool DecodePicture(IWICImagingFactory *wic, const std::wstring &path, DecodedPicture &out) {
    out = DecodedPicture();
    IWICBitmapDecoder *decoder = nullptr;
    IWICBitmapFrameDecode *frame = nullptr;
    IWICFormatConverter *converter = nullptr;
    UINT w = 0, h = 0;
    bool ok = SUCCEEDED(wic->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                        WICDecodeMetadataCacheOnLoad, &decoder)) &&
              SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(wic->CreateFormatConverter(&converter)) &&
              SUCCEEDED(converter->Initialize(frame, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr,
                                              0.0, WICBitmapPaletteTypeMedianCut)) &&
              SUCCEEDED(converter->GetSize(&w, &h)) && w > 0 && h > 0 && w <= 16384 && h <= 16384;
    if (ok) {
        try {
            out.Pixels.resize(static_cast<size_t>(w) * h);
        } catch (...) {
            ok = false;
        }
    }
    ok = ok && SUCCEEDED(converter->CopyPixels(nullptr, w * 4, w * h * 4, reinterpret_cast<BYTE *>(out.Pixels.data())));
    ReleaseAndNull(converter);
    ReleaseAndNull(frame);
    ReleaseAndNull(decoder);
    if (!ok) {
        out = DecodedPicture();
        return false;
    }
    out.Width = w;
    out.Height = h;
    return true;
}

PictureLoad *NewPictureLoad(const std::wstring &folder) {
    PictureLoad *load = new (std::nothrow) PictureLoad;
    if (load)
        load->Folder = folder;
    return load;
}

void StartPictureThread(PictureLoad &load, HWND notify, UINT message) {
    if (load.Thread)
        return;
    for (int slot = 0; slot < 5; ++slot)
        if (!load.Taken[slot] && !load.Decoded[slot])
            load.Order[load.Count++] = slot;
    if (load.Count == 0)
        return;
    load.Notify = notify;
    load.Message = message;
    load.Progress = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    // Taken before the thread runs, so that no moment exists in which it runs
    // in a library nobody holds.
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&DecodePictures),
                       &load.Module);
    if (load.Progress)
        load.Thread = CreateThread(nullptr, 0, DecodePictures, &load, 0, nullptr);
    if (!load.Thread && load.Module) {
        FreeLibrary(load.Module);
        load.Module = nullptr;
    }
}

bool PictureDecoded(PictureLoad &load, int slot, bool wait) {
    if (load.Decoded[slot])
        return true;
    const bool running = load.Thread && WaitForSingleObject(load.Thread, 0) == WAIT_TIMEOUT;
    if (running && !wait)
        return false;
    if (running) {
        const HANDLE handles[2] = {load.Progress, load.Thread};
        while (!load.Decoded[slot] && WaitForMultipleObjects(2, handles, FALSE, INFINITE) == WAIT_OBJECT_0) {
        }
        if (load.Decoded[slot])
            return true;
    }
    // No thread, or it ended without this picture.
    if (!wait || !g_State.WicFactory)
        return false;
    DecodePicture(g_State.WicFactory, PicturePath(load.Folder, slot), load.Pictures[slot]);
    load.Decoded[slot] = 1;
    return true;
}

void StopPictureLoad(PictureLoad *&load) {
    if (!load)
        return;
    InterlockedExchange(&load->Stop, 1);
    if (load->Thread) {
        WaitForSingleObject(load->Thread, INFINITE);
        CloseHandle(load->Thread);
    }
    if (load->Progress)
        CloseHandle(load->Progress);
    delete load;
    load = nullptr;
}
