#pragma once

#include <QSize>
#include <QString>
#include <QtGlobal>

namespace kv::data {
class TProgramDataForm;
}

namespace kv::web {

// Links between the pages of a generated site and image tags. Index pages
// (index, address and birthday pages) lie in the site's top directory;
// detail and person pages in its "detail" directory. IDs are written in
// decimal, -1 included.

// <A HREF="preview/57.jpg"> on index pages, <A HREF="../preview/57.jpg">
// otherwise.
QString PreviewLink(bool forIndex, qint64 pictureId);

// <A HREF="detail/57.html">, from the top directory into "detail".
QString PictureDetailLink(qint64 pictureId);

// <A HREF="57.html">, between two detail pages.
QString NeighbourLink(qint64 pictureId);

// <A HREF="../index.html"> with the current IndexName.
QString IndexLink();

// The link to a person's page: <A HREF="detail\p57.html"> on index pages
// (the backslash is kept on purpose), <A HREF="p57.html"> otherwise. Empty
// for the ID -1 and when the PersonTemplate file does not exist. While
// CollectPersonPages is set, an ID above 0 is added to PersonPages.
QString PersonPageLink(bool forIndex, qint64 personId);

// "</A>" when the PersonTemplate file exists, else empty.
QString PersonPageLinkEnd();

// Whether the PersonTemplate file exists; tested once per generation run.
bool PersonTemplateExists();

// The width and height an image tag gives a picture in a box of box x box
// pixels: its preview's size fitted (keeping proportions, enlarged at most
// 1.5 times) when the preview file exists; the placeholder picture's for
// the ID -1; 0 x 0 otherwise.
QSize ImageTagSize(data::TProgramDataForm& dm, qint64 pictureId, int box);

// <Img Src="preview/57.jpg" BORDER="0" WIDTH="100" HEIGHT="75"> for index
// pages, the source "../preview/57.jpg" otherwise.
QString ImageTag(bool forIndex, qint64 pictureId, const QSize& size);
QString ImageTag(data::TProgramDataForm& dm, bool forIndex, qint64 pictureId, int box);

}  // namespace kv::web
