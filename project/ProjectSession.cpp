#include "project/ProjectSession.h"

#include "project/CoverPage.h"

namespace korvel {

void configureProjectEntry(TKivINIEntry &entry)
{
    entry.SetSection(QString::fromLatin1(kProjectSection));
}

void configureSpinePictureEntry(TKivRegEntry &entry)
{
    entry.SetArea(QString::fromLatin1(SpinePictureState::kArea));
    entry.SetSection(QString::fromLatin1(SpinePictureState::kSection));
}

ProjectSession::ProjectSession(CoverPage &page_, std::function<void(const QString &)> setCaption)
    : page(page_)
    , spine(page_)
    , context{page_, ini, spine, std::move(setCaption)}
{
    configureProjectEntry(ini);
}

void ProjectSession::open(const QString &path)
{
    requireProjectFile(path); // a file that is no project changes nothing
    page.item(QStringLiteral("BTo")).clearLines();
    page.item(QStringLiteral("BTit")).clearLines();
    LoadProject(context, path);
}

void ProjectSession::save(const QString &path)
{
    SaveProject(context, path);
}

} // namespace korvel
