#include "ui/shell/HelpTopic.h"

namespace kinoloom {

namespace {

QList<HelpTopic> topics()
{
    return {
        {QStringLiteral("Getting started"),
         QStringLiteral("play.circle"),
         QStringLiteral("Take a film from source footage to a finished export."),
         {{QStringLiteral("1. Create a project"),
           QStringLiteral("Choose File > New Project and pick a new folder for the film, or File > Open Project to "
                          "continue an existing one. Kinoloom saves every change by itself; there is nothing to "
                          "remember before you quit.")},
          {QStringLiteral("2. Bring in footage"),
           QStringLiteral("Choose File > Import Media, or drop videos and still images onto Media. Select a clip to "
                          "see its duration, dimensions, audio and role in the inspector.")},
          {QStringLiteral("3. Shape your film"),
           QStringLiteral("Give each clip its role in Media. Choose the corrections your footage needs in Prepare. "
                          "Set the order, titles, music and colour in Edit.")},
          {QStringLiteral("4. Reuse a workflow"),
           QStringLiteral("Your first project gets \"Workflow 1\". The selected workflow keeps your processing "
                          "choices and applies them to the next project you open. Clip order, film titles, music, "
                          "video title and thumbnail stay with each project.")},
          {QStringLiteral("5. Review and export"),
           QStringLiteral("Render a preview to check the look, then export the film. Play the finished render in "
                          "Export, and open Publish to review an upload before anything is sent.")}}},
        {QStringLiteral("Media and projects"),
         QStringLiteral("square.grid.2x2"),
         QStringLiteral("Keep originals safe and give each clip a place in the story."),
         {{QStringLiteral("Copy or reference"),
           QStringLiteral("Importing can copy files into the project's Media folder or refer to them where they "
                          "lie. Processing never modifies your source files. When a referenced file moves, select "
                          "the clip and choose Relink source.")},
          {QStringLiteral("Choose roles"),
           QStringLiteral("Main clips form the body of the film. You can assign one Intro, one End, and up to five "
                          "Hooks. Excluded clips stay in the project but are left out of processing. Also use as a "
                          "hook creates an intentional second reference to a clip.")},
          {QStringLiteral("Set the order"),
           QStringLiteral("Prepare shows the Start, Hook 1–5 and End slots; hook slots fill in order. Reorder main "
                          "clips by dragging them or with Earlier and Later. The film plays the intro, the main "
                          "clips and the end; hooks form a separate opening before it.")},
          {QStringLiteral("Review flagged clips"),
           QStringLiteral("Clips shorter than five seconds or longer than thirty are flagged for review; they are "
                          "never removed for you. Removing an entry from the project leaves its file on disk.")},
          {QStringLiteral("Save and move projects"),
           QStringLiteral("Project.kinoloom.json stores your project. Exports and preparation caches live in the "
                          "chosen project folder. Media paths are absolute, so moving a project may require "
                          "relinking sources. Only one app process can write a project at a time.")}}},
        {QStringLiteral("Preparation and quality"),
         QStringLiteral("slider.horizontal.3"),
         QStringLiteral("Apply only the corrections your footage needs."),
         {{QStringLiteral("Start with the original"),
           QStringLiteral("With every preparation option off, Kinoloom uses your source media directly. There is "
                          "no automatic normalisation, denoising, sharpening or shadow lifting.")},
          {QStringLiteral("Select corrections deliberately"),
           QStringLiteral("The conversion LUT, Gyroflow stabilization with a local installation and an optional "
                          "preset, the fallback lens correction and vid.stab are separate controls you turn on. "
                          "Settings > Tools shows which of them this system can run.")},
          {QStringLiteral("Understand intermediate quality"),
           QStringLiteral("Prepared clips are lossless intermediates: FFV1 video with PCM audio. The main film "
                          "defaults to H.264 in MP4, and Export offers the other codecs. Scaling, cropping, "
                          "frame-rate conversion and the filters you choose still change the picture.")},
          {QStringLiteral("Allow working space"),
           QStringLiteral("Lossless intermediates are large, so keep room on the project's disk. Each job's "
                          "temporary folder is removed when the job ends or is cancelled; caches and exports "
                          "stay.")}}},
        {QStringLiteral("Editing and previews"),
         QStringLiteral("film.stack"),
         QStringLiteral("Arrange the sequence and check the look before a full render."),
         {{QStringLiteral("Titles and color"),
           QStringLiteral("Set the film's title and subtitle in the inspector. Colour starts neutral, so nothing "
                          "changes until you move a control. A creative LUT comes with its own strength control.")},
          {QStringLiteral("Music and original audio"),
           QStringLiteral("Music is optional. The Original audio % control starts at zero, so the clips' own sound "
                          "is off until you raise it. With no music and zero original audio the film is silent.")},
          {QStringLiteral("Stills and trimming"),
           QStringLiteral("Still images play for the still duration with a gentle zoom. In Edit, the Start and End "
                          "handles under the viewer select a range of each clip that overrides the general trim. "
                          "With the 5-second limit on, the handles mark the capped range; Reset returns the clip to "
                          "the general trim.")},
          {QStringLiteral("What a preview includes"),
           QStringLiteral("A preview renders up to five seconds of the first clip of the sequence with your current "
                          "look, which is quick enough to check colour and titles. Only the full film shows the "
                          "whole sequence with the hook opening.")},
          {QStringLiteral("Playback"),
           QStringLiteral("Selecting a source clip or an export loads it in the viewer with the usual playback "
                          "controls. Playback does not start by itself.")}}},
        {QStringLiteral("Exporting films"),
         QStringLiteral("square.and.arrow.up"),
         QStringLiteral("Render a full film, a vertical Short, and thumbnail candidates."),
         {{QStringLiteral("Main film"),
           QStringLiteral("Export sets the codec, the size and the frame rate of the film. Turn on the hook opening "
                          "to play your hooks before the film begins.")},
          {QStringLiteral("Vertical Short"),
           QStringLiteral("The vertical Short is made from your hook clips at 1080 × 1920 and follows the film "
                          "when it is turned on. It lasts at most 59 seconds, shared between the hooks, and carries "
                          "only the music. A Short needs video hooks.")},
          {QStringLiteral("Hardware or software"),
           QStringLiteral("Kinoloom encodes with the hardware encoder when this system has a working one. If "
                          "hardware encoding fails or is unavailable, turn on Software encoding and export again.")},
          {QStringLiteral("Find your results"),
           QStringLiteral("Every export goes to a new folder. From Export you can play a render, show it in the "
                          "file manager or prepare it for upload. Eight thumbnail candidates are taken from real "
                          "frames; the first two carry the film title when there is one.")},
          {QStringLiteral("Progress and cancellation"),
           QStringLiteral("The bottom drawer shows the current or failed stage and measured progress when "
                          "available. Open Details for the log. Cancel stops the current job; completed exports "
                          "are preserved. Choose Resume to continue from the failed stage, or Start Again to clear "
                          "generated cache and run from the beginning.")}}},
        {QStringLiteral("Automated runs"),
         QStringLiteral("play.circle"),
         QStringLiteral("Run the batch workflow with one set of choices."),
         {{QStringLiteral("Start a run"),
           QStringLiteral("Choose Automated Run from the Film menu. Work with the media already in the project, or "
                          "pick a camera or source folder: its supported videos and stills are copied into the "
                          "project, optionally only those from today, and files imported before are not imported "
                          "twice.")},
          {QStringLiteral("Choose the sequence once"),
           QStringLiteral("A run keeps the roles and the order you already set. Automatic hook selection acts only "
                          "when the project has no hooks yet.")},
          {QStringLiteral("Let the stages run"),
           QStringLiteral("A run imports, optionally checks that every clip decodes, prepares the clips, exports the "
                          "film and then the Short when you asked for one. A Short needs video hooks, so choose "
                          "hooks or turn on automatic hook selection.")},
          {QStringLiteral("Optional automatic uploads"),
           QStringLiteral("With upload on, the run sends the film, and the Short when there is one, to the "
                          "connected channel after checking it. Each upload uses the title, description, tags, "
                          "visibility and thumbnail of the run's choices.")},
          {QStringLiteral("Stop and recover"),
           QStringLiteral("Cancel stops the run; completed work is kept. After a failed stage choose Resume to go "
                          "on from it or Start Again to begin anew, and resume an interrupted upload from Publish. "
                          "Camera media is never deleted or ejected.")}}},
        {QStringLiteral("YouTube and accounts"),
         QStringLiteral("play.rectangle"),
         QStringLiteral("Connect an account and review every upload before sending it."),
         {{QStringLiteral("Connect YouTube"),
           QStringLiteral("Under Settings > Accounts, import your Google OAuth desktop client file, then connect "
                          "your account in the browser. Credentials are kept in the system keyring.")},
          {QStringLiteral("Review the upload"),
           QStringLiteral("Publish holds the video details: title, description, tags, visibility and whether the "
                          "video is made for kids. New uploads are private by default. Choose a thumbnail from the "
                          "candidates or a JPEG or PNG image of your own.")},
          {QStringLiteral("Confirm the destination"),
           QStringLiteral("Before anything is sent, a final review shows the video, its details and the channel it "
                          "goes to. An ordinary export never uploads.")},
          {QStringLiteral("Resume and thumbnail recovery"),
           QStringLiteral("Uploads use resumable sessions, so a failed or cancelled upload continues where it "
                          "stopped when you confirm it again. If only the thumbnail failed, set the selected "
                          "thumbnail again from Publish, and check the video's processing state there.")},
          {QStringLiteral("Optional AI draft"),
           QStringLiteral("With an optional API key in Settings > Accounts, Kinoloom can draft a description and "
                          "tags from the video title. Review and edit the draft before it replaces your text.")}}},
        {QStringLiteral("Troubleshooting"),
         QStringLiteral("wrench.and.screwdriver"),
         QStringLiteral("Find the cause, fix it, and continue without losing completed exports."),
         {{QStringLiteral("Video processing is unavailable"),
           QStringLiteral("Restart Kinoloom. If processing is still unavailable, open Settings > Tools and read "
                          "the dependency report: it shows whether ffmpeg, ffprobe and the filters were found.")},
          {QStringLiteral("Stabilization is unavailable"),
           QStringLiteral("Choose the Gyroflow executable in Settings > Tools, or turn Gyroflow off for this "
                          "project.")},
          {QStringLiteral("A source or selected resource is missing"),
           QStringLiteral("Use Relink source for a clip whose file moved. Choose missing LUTs, presets or music "
                          "again in the inspector. Do not move files while a job runs.")},
          {QStringLiteral("An export fails"),
           QStringLiteral("Open Details to read the log. Check the free disk space, the sources and the selected "
                          "resources; clear the generated cache if it may be damaged, turn on Software encoding "
                          "when the hardware encoder failed, then choose Resume.")},
          {QStringLiteral("An upload fails"),
           QStringLiteral("Read the message, then check the network connection. Reconnect the account under "
                          "Settings > Accounts if it was signed out. The saved upload session lets the upload "
                          "continue where it stopped.")},
          {QStringLiteral("Another process owns this project"),
           QStringLiteral("Close the project in the other Kinoloom process, then open it again. The project lock "
                          "prevents simultaneous writes.")}}},
        {QStringLiteral("Keyboard shortcuts"),
         QStringLiteral("keyboard"),
         QStringLiteral("Use the menu bar and keyboard to move through your workflow."),
         {{QStringLiteral("Projects"),
           QStringLiteral("Ctrl+N: new project\nCtrl+O: open project\nCtrl+I: import media\nCtrl+S: save project")},
          {QStringLiteral("Processing"),
           QStringLiteral("Ctrl+R: render preview\nCtrl+E: export film\nCtrl+period: cancel current job")},
          {QStringLiteral("Workspace"),
           QStringLiteral("Ctrl+Alt+Left Arrow: move clip earlier\nCtrl+Alt+Right Arrow: move clip later\n"
                          "Ctrl+Alt+0: toggle inspector\nCtrl+comma: settings\nCtrl+Alt+/: open this help window\n"
                          "Ctrl+W: close the current window")},
          {QStringLiteral("More commands"),
           QStringLiteral("The Film menu includes preparation and role assignment. The View menu includes "
                          "workspace navigation and job details. Native menu items show their current "
                          "availability.")}}},
    };
}

} // namespace

const QList<HelpTopic> &HelpTopic::all()
{
    static const QList<HelpTopic> table = topics();
    return table;
}

} // namespace kinoloom
