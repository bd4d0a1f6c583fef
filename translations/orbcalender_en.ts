<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="ko_KR">
<context>
    <name>MonthViewAccessible</name>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>; </source>
        <translation>; </translation>
    </message>
</context>
<context>
    <name>OrbCalender</name>
    <message>
        <source>Option</source>
        <translation>Option</translation>
    </message>
    <message>
        <source>Logout</source>
        <translation>Logout</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>The change was not sent: </source>
        <translation>The change was not sent: </translation>
    </message>
    <message>
        <source>The change may or may not have been applied: </source>
        <translation>The change may or may not have been applied: </translation>
    </message>
    <message>
        <source>. The next load (F5) shows what the service holds.</source>
        <translation>. The next load (F5) shows what the service holds.</translation>
    </message>
    <message>
        <source>the service&apos;s answer could not be read</source>
        <translation>the service&apos;s answer could not be read</translation>
    </message>
    <message>
        <source>the sign-in service could not be reached</source>
        <translation>the sign-in service could not be reached</translation>
    </message>
    <message>
        <source>the sign-in service&apos;s answer could not be read</source>
        <translation>the sign-in service&apos;s answer could not be read</translation>
    </message>
    <message>
        <source>the sign-in service refused it</source>
        <translation>the sign-in service refused it</translation>
    </message>
    <message>
        <source>error!!</source>
        <translation>error!!</translation>
    </message>
    <message>
        <source>(late) </source>
        <translation>(late) </translation>
    </message>
    <message>
        <source>(No title)</source>
        <translation>(No title)</translation>
    </message>
    <message>
        <source> (all day)</source>
        <translation> (all day)</translation>
    </message>
    <message>
        <source>Due </source>
        <translation>Due </translation>
    </message>
    <message>
        <source>Sign-in failed: </source>
        <translation>Sign-in failed: </translation>
    </message>
    <message>
        <source>

Try again?</source>
        <translation>

Try again?</translation>
    </message>
    <message>
        <source>Not everything could be loaded:</source>
        <translation>Not everything could be loaded:</translation>
    </message>
    <message>
        <source>the calendar list</source>
        <translation>the calendar list</translation>
    </message>
    <message>
        <source>the task lists</source>
        <translation>the task lists</translation>
    </message>
    <message>
        <source>calendar &apos;%s&apos;</source>
        <translation>calendar &apos;%s&apos;</translation>
    </message>
    <message>
        <source>task list &apos;%s&apos;</source>
        <translation>task list &apos;%s&apos;</translation>
    </message>
    <message>
        <source>Offline: data from the last successful sync, %s.</source>
        <translation>Offline: data from the last successful sync, %s.</translation>
    </message>
    <message>
        <source>Not loaded:</source>
        <translation>Not loaded:</translation>
    </message>
    <message>
        <source> and %s more</source>
        <translation> and %s more</translation>
    </message>
    <message>
        <source>Continue in your browser</source>
        <translation>Continue in your browser</translation>
    </message>
    <message>
        <source>Your browser was opened so you can sign in to OrbCalender. Finish there to continue.</source>
        <translation>Your browser was opened so you can sign in to OrbCalender. Finish there to continue.</translation>
    </message>
    <message>
        <source>Open again</source>
        <translation>Open again</translation>
    </message>
    <message>
        <source>Copy link</source>
        <translation>Copy link</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Your browser did not come back to OrbCalender in time, so the sign-in was stopped.</source>
        <translation>Your browser did not come back to OrbCalender in time, so the sign-in was stopped.</translation>
    </message>
    <message>
        <source>OrbCalender could not make a secure sign-in request.</source>
        <translation>OrbCalender could not make a secure sign-in request.</translation>
    </message>
    <message>
        <source>OrbCalender could not wait for your browser: </source>
        <translation>OrbCalender could not wait for your browser: </translation>
    </message>
    <message>
        <source>This page does not belong to the sign-in OrbCalender is waiting for.</source>
        <translation>This page does not belong to the sign-in OrbCalender is waiting for.</translation>
    </message>
    <message>
        <source>Signed in to OrbCalender — you can close this tab</source>
        <translation>Signed in to OrbCalender — you can close this tab</translation>
    </message>
    <message>
        <source>Sign-in to OrbCalender was not allowed — you can close this tab</source>
        <translation>Sign-in to OrbCalender was not allowed — you can close this tab</translation>
    </message>
    <message>
        <source>You did not allow OrbCalender to use your calendars and tasks.</source>
        <translation>You did not allow OrbCalender to use your calendars and tasks.</translation>
    </message>
    <message>
        <source>The sign-in in your browser did not succeed: </source>
        <translation>The sign-in in your browser did not succeed: </translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>Snooze 5 min</source>
        <translation>Snooze 5 min</translation>
    </message>
    <message>
        <source>Dismiss</source>
        <translation>Dismiss</translation>
    </message>
    <message>
        <source>Reminder</source>
        <translation>Reminder</translation>
    </message>
    <message>
        <source>OrbCalender 정보</source>
        <translation>About OrbCalender</translation>
    </message>
    <message>
        <source>OrbCalender, 버전 1.0</source>
        <translation>OrbCalender, version 1.0</translation>
    </message>
    <message>
        <source>You are offline: this change cannot be sent now. The data shown is from the last successful sync.</source>
        <translation>You are offline: this change cannot be sent now. The data shown is from the last successful sync.</translation>
    </message>
    <message>
        <source>정말로 &apos;%s&apos; Event를 삭제하시겠습니까?</source>
        <translation>Do you really want to delete the event &apos;%s&apos;?</translation>
    </message>
    <message>
        <source>Event Insert Fail
</source>
        <translation>Event Insert Fail
</translation>
    </message>
    <message>
        <source>The settings file could not be read; it was kept as %s and the program starts with default settings.</source>
        <translation>The settings file could not be read; it was kept as %s and the program starts with default settings.</translation>
    </message>
    <message>
        <source>The settings file could not be read (%s). The program starts with default settings and leaves the file as it is: nothing is saved over it.</source>
        <translation>The settings file could not be read (%s). The program starts with default settings and leaves the file as it is: nothing is saved over it.</translation>
    </message>
    <message>
        <source>Your sign-in has expired or was withdrawn in your Google account; please sign in again.</source>
        <translation>Your sign-in has expired or was withdrawn in your Google account; please sign in again.</translation>
    </message>
    <message>
        <source>The settings could not be written: </source>
        <translation>The settings could not be written: </translation>
    </message>
    <message>
        <source>the file could not be read at start, so it is left as it is</source>
        <translation>the file could not be read at start, so it is left as it is</translation>
    </message>
    <message>
        <source>The settings were saved but could not be read back; the values in use stay: </source>
        <translation>The settings were saved but could not be read back; the values in use stay: </translation>
    </message>
    <message>
        <source>Starting with the desktop could not be changed: </source>
        <translation>Starting with the desktop could not be changed: </translation>
    </message>
    <message>
        <source>OrbCalender 정보(&amp;A)...</source>
        <translation>&amp;About OrbCalender...</translation>
    </message>
    <message>
        <source>error DeleteItem</source>
        <translation>error DeleteItem</translation>
    </message>
    <message>
        <source>Your OS does not support this feature</source>
        <translation>Your OS does not support this feature</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Due</source>
        <translation>Due</translation>
    </message>
    <message>
        <source>Memo</source>
        <translation>Memo</translation>
    </message>
    <message>
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <source>Synchronizing</source>
        <translation>Synchronizing</translation>
    </message>
    <message>
        <source>Search Calendar</source>
        <translation>Search Calendar</translation>
    </message>
    <message>
        <source>Calendar View</source>
        <translation>Calendar View</translation>
    </message>
    <message>
        <source>Insert Task</source>
        <translation>Insert Task</translation>
    </message>
    <message>
        <source>Delete Task</source>
        <translation>Delete Task</translation>
    </message>
    <message>
        <source>Window Mode</source>
        <translation>Window Mode</translation>
    </message>
    <message>
        <source>Normal</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>Top</source>
        <translation>Top</translation>
    </message>
    <message>
        <source>Bottom</source>
        <translation>Bottom</translation>
    </message>
    <message>
        <source>Resizing</source>
        <translation>Resizing</translation>
    </message>
    <message>
        <source>Task View Mode</source>
        <translation>Task View Mode</translation>
    </message>
    <message>
        <source>All</source>
        <translation>All</translation>
    </message>
    <message>
        <source>Completed</source>
        <translation>Completed</translation>
    </message>
    <message>
        <source>NeedsAction</source>
        <translation>NeedsAction</translation>
    </message>
    <message>
        <source>Preferences</source>
        <translation>Preferences</translation>
    </message>
    <message>
        <source>Font</source>
        <translation>Font</translation>
    </message>
    <message>
        <source>Deleting Task List . . .</source>
        <translation>Deleting Task List . . .</translation>
    </message>
    <message>
        <source>The task list &apos;%s&apos; was not created: </source>
        <translation>The task list &apos;%s&apos; was not created: </translation>
    </message>
    <message>
        <source>The task list &apos;%s&apos; was not changed: </source>
        <translation>The task list &apos;%s&apos; was not changed: </translation>
    </message>
    <message>
        <source>The task &apos;%s&apos; was not created: </source>
        <translation>The task &apos;%s&apos; was not created: </translation>
    </message>
    <message>
        <source>정말로 &apos;%s&apos; TaskList를 삭제하시겠습니까?</source>
        <translation>Do you really want to delete the task list &apos;%s&apos;?</translation>
    </message>
    <message>
        <source>정말로 &apos;%s&apos; Task를 삭제하시겠습니까?</source>
        <translation>Do you really want to delete the task &apos;%s&apos;?</translation>
    </message>
    <message>
        <source>할일 생성 실패 : </source>
        <translation>Saving the task failed: </translation>
    </message>
    <message>
        <source>할일 Move 실패 : </source>
        <translation>Moving the task failed: </translation>
    </message>
    <message>
        <source>할일리스트 생성 실패 : </source>
        <translation>Creating the task list failed: </translation>
    </message>
    <message>
        <source>할일 리스트 업데이트 실패 : </source>
        <translation>Updating the task list failed: </translation>
    </message>
    <message>
        <source>Task Deleted Fail!!
</source>
        <translation>Task Deleted Fail!!
</translation>
    </message>
    <message>
        <source>Updating Task List . . .</source>
        <translation>Updating Task List . . .</translation>
    </message>
    <message>
        <source>The task list &apos;%s&apos; was not deleted: </source>
        <translation>The task list &apos;%s&apos; was not deleted: </translation>
    </message>
    <message>
        <source>The task &apos;%s&apos; was not deleted: </source>
        <translation>The task &apos;%s&apos; was not deleted: </translation>
    </message>
    <message>
        <source>The task &apos;%s&apos; was not changed: </source>
        <translation>The task &apos;%s&apos; was not changed: </translation>
    </message>
    <message>
        <source>The task &apos;%s&apos; was not moved: </source>
        <translation>The task &apos;%s&apos; was not moved: </translation>
    </message>
    <message>
        <source>The task &apos;%s&apos; was created, but not under its parent; it is at the top level of its list: </source>
        <translation>The task &apos;%s&apos; was created, but not under its parent; it is at the top level of its list: </translation>
    </message>
    <message>
        <source>Loading</source>
        <translation>Loading</translation>
    </message>
    <message>
        <source>+%1 event</source>
        <translation>+%1 event</translation>
    </message>
    <message>
        <source>Today </source>
        <translation>Today </translation>
    </message>
    <message>
        <source>Calendar</source>
        <translation>Calendar</translation>
    </message>
    <message>
        <source>Tree View</source>
        <translation>Tree View</translation>
    </message>
    <message>
        <source>Automatic</source>
        <translation>Automatic</translation>
    </message>
    <message>
        <source>More Colors...</source>
        <translation>More Colors...</translation>
    </message>
    <message>
        <source>%m월 %d일(%A)</source>
        <translation>%A, %m-%d</translation>
    </message>
    <message>
        <source>Summary :</source>
        <translation>Summary :</translation>
    </message>
    <message>
        <source>Description :</source>
        <translation>Description :</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>Update</translation>
    </message>
    <message>
        <source>Foreground :</source>
        <translation>Foreground :</translation>
    </message>
    <message>
        <source>Background :</source>
        <translation>Background :</translation>
    </message>
    <message>
        <source>read-only calendar: only its colours can be changed</source>
        <translation>read-only calendar: only its colours can be changed</translation>
    </message>
    <message>
        <source>only the calendar&apos;s owner can change its title and description</source>
        <translation>only the calendar&apos;s owner can change its title and description</translation>
    </message>
    <message>
        <source>Calendar :</source>
        <translation>Calendar :</translation>
    </message>
    <message>
        <source>Start Time :</source>
        <translation>Start Time :</translation>
    </message>
    <message>
        <source>End Time :</source>
        <translation>End Time :</translation>
    </message>
    <message>
        <source>All day event</source>
        <translation>All day event</translation>
    </message>
    <message>
        <source>Recurrence</source>
        <translation>Recurrence</translation>
    </message>
    <message>
        <source>Location :</source>
        <translation>Location :</translation>
    </message>
    <message>
        <source>Insert</source>
        <translation>Insert</translation>
    </message>
    <message>
        <source>Invalid Time &amp; Date!!</source>
        <translation>Invalid Time &amp; Date!!</translation>
    </message>
    <message>
        <source>read-only calendar</source>
        <translation>read-only calendar</translation>
    </message>
    <message>
        <source>Title :</source>
        <translation>Title :</translation>
    </message>
    <message>
        <source>due :</source>
        <translation>due :</translation>
    </message>
    <message>
        <source>Due Check</source>
        <translation>Due Check</translation>
    </message>
    <message>
        <source>Note : </source>
        <translation>Note : </translation>
    </message>
    <message>
        <source>Complete</source>
        <translation>Complete</translation>
    </message>
    <message>
        <source>Default Options</source>
        <translation>Default Options</translation>
    </message>
    <message>
        <source>Calendar&apos;s Options</source>
        <translation>Calendar&apos;s Options</translation>
    </message>
    <message>
        <source>Task&apos;s Options</source>
        <translation>Task&apos;s Options</translation>
    </message>
    <message>
        <source>ID : </source>
        <translation>ID : </translation>
    </message>
    <message>
        <source>Pass :</source>
        <translation>Pass :</translation>
    </message>
    <message>
        <source>API Key :</source>
        <translation>API Key :</translation>
    </message>
    <message>
        <source>show</source>
        <translation>show</translation>
    </message>
    <message>
        <source>All Expend</source>
        <translation>All Expend</translation>
    </message>
    <message>
        <source>Due Hide</source>
        <translation>Due Hide</translation>
    </message>
    <message>
        <source>Start with the desktop</source>
        <translation>Start with the desktop</translation>
    </message>
    <message>
        <source>Reminders</source>
        <translation>Reminders</translation>
    </message>
    <message>
        <source>tasks at</source>
        <translation>tasks at</translation>
    </message>
    <message>
        <source>Synchronize every N minutes</source>
        <translation>Synchronize every N minutes</translation>
    </message>
    <message>
        <source>Never</source>
        <translation>Never</translation>
    </message>
    <message>
        <source>from :</source>
        <translation>from :</translation>
    </message>
    <message>
        <source>to :</source>
        <translation>to :</translation>
    </message>
    <message>
        <source>days</source>
        <translation>days</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>Search :</source>
        <translation>Search :</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>Searching . . .</source>
        <translation>Searching . . .</translation>
    </message>
    <message>
        <source>search failed: </source>
        <translation>search failed: </translation>
    </message>
    <message>
        <source>This desktop runs Wayland without X11 support (XWayland), and on Wayland a program cannot place its own windows: OrbCalender&apos;s windows open where the desktop puts them, and the Bottom, Top and Resizing window modes cannot keep them below or above the others. Install XWayland (the xwayland package) and start OrbCalender again to have them.</source>
        <translation>This desktop runs Wayland without X11 support (XWayland), and on Wayland a program cannot place its own windows: OrbCalender&apos;s windows open where the desktop puts them, and the Bottom, Top and Resizing window modes cannot keep them below or above the others. Install XWayland (the xwayland package) and start OrbCalender again to have them.</translation>
    </message>
    <message>
        <source>This build of OrbCalender has no embedded login page, which the [Service] section of info.dat asks for with an out-of-band RedirectUri. Remove the RedirectUri line from info.dat and start OrbCalender again to sign in through your browser.</source>
        <translation>This build of OrbCalender has no embedded login page, which the [Service] section of info.dat asks for with an out-of-band RedirectUri. Remove the RedirectUri line from info.dat and start OrbCalender again to sign in through your browser.</translation>
    </message>
    <message>
        <source>The login page could not be started: </source>
        <translation>The login page could not be started: </translation>
    </message>
    <message>
        <source>The login page ended unexpectedly: </source>
        <translation>The login page ended unexpectedly: </translation>
    </message>
    <message>
        <source>January</source>
        <translation>January</translation>
    </message>
    <message>
        <source>February</source>
        <translation>February</translation>
    </message>
    <message>
        <source>March</source>
        <translation>March</translation>
    </message>
    <message>
        <source>April</source>
        <translation>April</translation>
    </message>
    <message>
        <source>May</source>
        <translation>May</translation>
    </message>
    <message>
        <source>June</source>
        <translation>June</translation>
    </message>
    <message>
        <source>July</source>
        <translation>July</translation>
    </message>
    <message>
        <source>August</source>
        <translation>August</translation>
    </message>
    <message>
        <source>September</source>
        <translation>September</translation>
    </message>
    <message>
        <source>October</source>
        <translation>October</translation>
    </message>
    <message>
        <source>November</source>
        <translation>November</translation>
    </message>
    <message>
        <source>December</source>
        <translation>December</translation>
    </message>
    <message>
        <source>Jan</source>
        <translation>Jan</translation>
    </message>
    <message>
        <source>Feb</source>
        <translation>Feb</translation>
    </message>
    <message>
        <source>Mar</source>
        <translation>Mar</translation>
    </message>
    <message>
        <source>Apr</source>
        <translation>Apr</translation>
    </message>
    <message>
        <source>Jun</source>
        <translation>Jun</translation>
    </message>
    <message>
        <source>Jul</source>
        <translation>Jul</translation>
    </message>
    <message>
        <source>Aug</source>
        <translation>Aug</translation>
    </message>
    <message>
        <source>Sep</source>
        <translation>Sep</translation>
    </message>
    <message>
        <source>Oct</source>
        <translation>Oct</translation>
    </message>
    <message>
        <source>Nov</source>
        <translation>Nov</translation>
    </message>
    <message>
        <source>Dec</source>
        <translation>Dec</translation>
    </message>
    <message>
        <source>Sunday</source>
        <translation>Sunday</translation>
    </message>
    <message>
        <source>Monday</source>
        <translation>Monday</translation>
    </message>
    <message>
        <source>Tuesday</source>
        <translation>Tuesday</translation>
    </message>
    <message>
        <source>Wednesday</source>
        <translation>Wednesday</translation>
    </message>
    <message>
        <source>Thursday</source>
        <translation>Thursday</translation>
    </message>
    <message>
        <source>Friday</source>
        <translation>Friday</translation>
    </message>
    <message>
        <source>Saturday</source>
        <translation>Saturday</translation>
    </message>
    <message>
        <source>Sun</source>
        <translation>Sun</translation>
    </message>
    <message>
        <source>Mon</source>
        <translation>Mon</translation>
    </message>
    <message>
        <source>Tue</source>
        <translation>Tue</translation>
    </message>
    <message>
        <source>Wed</source>
        <translation>Wed</translation>
    </message>
    <message>
        <source>Thu</source>
        <translation>Thu</translation>
    </message>
    <message>
        <source>Fri</source>
        <translation>Fri</translation>
    </message>
    <message>
        <source>Sat</source>
        <translation>Sat</translation>
    </message>
</context>
</TS>
