#include "reference/FieldSpecs.h"

#include "common/TextHelpers.h"

namespace kv::reference {

using common::NextTabField;

ExportFieldSpec ExportFieldSpec::parse(const QString& spec)
{
    QString rest = spec;
    ExportFieldSpec s;
    s.label = NextTabField(rest);
    s.width = NextTabField(rest).trimmed().toInt();
    s.selectExpression = NextTabField(rest);
    s.resultField = NextTabField(rest);
    s.type = NextTabField(rest);
    return s;
}

ImportFieldSpec ImportFieldSpec::parse(const QString& spec)
{
    QString rest = spec;
    ImportFieldSpec s;
    s.label = NextTabField(rest);
    s.fieldName = NextTabField(rest);
    // Every spec that is not "Not Required" is required.
    const QString required = NextTabField(rest);
    s.required = required != QLatin1String("Not Required");
    s.type = NextTabField(rest);
    s.specText = QStringList{s.label, s.fieldName, required, s.type}.join(u'\t');
    s.column = NextTabField(rest).trimmed().toInt();
    return s;
}

QString ImportFieldSpec::chosenText() const
{
    return specText + u'\t' + QString::number(column) + u"\t0"_qs;
}

QList<ExportFieldSpec> parseExportSpecs(const QStringList& specs)
{
    QList<ExportFieldSpec> out;
    out.reserve(specs.size());
    for (const QString& s : specs)
        out << ExportFieldSpec::parse(s);
    return out;
}

QList<ImportFieldSpec> parseImportSpecs(const QStringList& specs)
{
    QList<ImportFieldSpec> out;
    out.reserve(specs.size());
    for (const QString& s : specs)
        out << ImportFieldSpec::parse(s);
    return out;
}

QStringList SpecsFor(const QStringList& chosenLabels, const QStringList& offeredSpecs)
{
    QStringList out;
    for (const QString& label : chosenLabels) {
        for (const QString& spec : offeredSpecs) {
            if (ExportFieldSpec::parse(spec).label == label) {
                out << spec;
                break;
            }
        }
    }
    return out;
}

QString SelectListFor(const QStringList& chosenLabels, const QStringList& offeredSpecs)
{
    QStringList expressions;
    for (const QString& spec : SpecsFor(chosenLabels, offeredSpecs))
        expressions << ExportFieldSpec::parse(spec).selectExpression;
    return expressions.join(u',');
}

QStringList PictureExportSpecs()
{
    static const char* const specs[] = {
        "Picture ID\t10\tPI.PictureID\tPictureID\tInteger",
        "Picture Description\t50\tPI.PictureDescription\tPictureDescription\tText",
        "Picture Date Taken\t50\tPI.DateTaken\tDateTaken\tDate",
        "Picture Place\t50\tPL.PlaceDescription\tPlaceDescription\tText",
        "Picture Category\t50\tC.CatagoryDescription\tCatagoryDescription\tText",
        "Picture Sub-Category\t50\tSC.SubCatagoryDescription\tSubCatagoryDescription\tText",
        "Picture Photographer\t50\tPH.PersonDescription AS PhotographerName\tPhotographerName\tText",
        "Picture Rating\t50\tR.RatingDescription\tRatingDescription\tText",
        "Picture Media Type\t50\tM.MediaTypeDescription\tMediaTypeDescription\tText",
        "Picture Storage Location\t50\tSL.StorageLocationDescriptio\tStorageLocationDescriptio\tText",
        "Picture FileName\t50\tPI.FileName\tFileName\tText",
        "Picture Slide\t50\tPI.Slide\tSlide\tText",
        "Picture Page\t50\tPI.PageName\tPageName\tText",
        "Picture Location\t50\tPI.PictureLocation\tPictureLocation\tText",
        "Picture Time Index\t50\tPI.TimeIndex\tTimeIndex\tText",
        "Picture Length\t50\tPI.TimeLength\tTimeLength\tText",
        "Person ID\t10\tP.PersonID\tPersonID\tInteger",
        "Person Name\t50\tP.PersonDescription\tPersonDescription\tText",
        "Person Birthday\t15\tP.Birthdate\tBirthdate\tDate",
        "Person Date Of Death\t15\tP.DeathDate\tDeathDate\tDate",
        "Person Preview Picture ID\t10\tP.PersonPicture\tPersonPicture\tInteger",
        // The group's description under the type "Integer": written unquoted.
        "Person Group\t10\tPG.PersonGroupDescription\tPersonGroupDescription\tInteger",
        "Person Address Line 1\t40\tP.Address1\tAddress1\tText",
        "Person Address Line 2\t40\tP.Address2\tAddress2\tText",
        "Person City\t40\tP.City\tCity\tText",
        "Person State\t40\tP.State\tState\tText",
        "Person Counrty\t40\tP.Country\tCountry\tText",
        "Person Zip Code\t10\tP.ZipCode\tZipCode\tText",
        "Person Home Phone\t14\tP.HomePhone\tHomePhone\tText",
        "Person Work Phone\t14\tP.WorkPhone\tWorkPhone\tText",
        "Person Cell Phone\t14\tP.CellPhone\tCellPhone\tText",
        "Person Email Address\t40\tP.Email\tEmail\tText",
        "Person Web Page Address\t50\tP.WebPage\tWebPage\tText",
        "Album ID\t10\tA.AlbumID\tAlbumID\tInteger",
        "Album Description\t50\tA.AlbumDescription\tAlbumDescription\tText",
        "Album Index Template\t200\tA.AlbumIndexTemplate\tAlbumIndexTemplate\tText",
        "Album Detail Template\t200\tA.AlbumDetailTemplate\tAlbumDetailTemplate\tText",
    };
    QStringList out;
    for (const char* s : specs)
        out << QString::fromLatin1(s);
    return out;
}

}  // namespace kv::reference
