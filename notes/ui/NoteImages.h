// The pictures of the notes and the information base, drawn for this program: notebooks, open
// and closed groups, pages, and the lock and key overlays.
#pragma once

#include "platform/gui/ImageList.h"

enum {
    NoteImgTop, NoteImgBook, NoteImgBookOpen, NoteImgGroup, NoteImgGroupOpen, NoteImgPage,
    NoteImgPageSel, NoteImgLock, NoteImgKey, NoteImgCount
};

// The strip at a side of size pixels (a multiple of 16), with the overlays set.
void MakeNoteImages(CImageList& list, int size);
