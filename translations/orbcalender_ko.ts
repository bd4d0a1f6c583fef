<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ko_KR" sourcelanguage="ko_KR">
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
        <translation>옵션</translation>
    </message>
    <message>
        <source>Logout</source>
        <translation>로그아웃</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>종료</translation>
    </message>
    <message>
        <source>The change was not sent: </source>
        <translation>변경 내용을 보내지 못했습니다: </translation>
    </message>
    <message>
        <source>The change may or may not have been applied: </source>
        <translation>변경 내용이 적용되었는지 알 수 없습니다: </translation>
    </message>
    <message>
        <source>. The next load (F5) shows what the service holds.</source>
        <translation>. 다음 불러오기(F5)에서 서비스에 저장된 내용을 보여 줍니다.</translation>
    </message>
    <message>
        <source>the service&apos;s answer could not be read</source>
        <translation>서비스의 응답을 읽지 못했습니다</translation>
    </message>
    <message>
        <source>the sign-in service could not be reached</source>
        <translation>로그인 서비스에 연결하지 못했습니다</translation>
    </message>
    <message>
        <source>the sign-in service&apos;s answer could not be read</source>
        <translation>로그인 서비스의 응답을 읽지 못했습니다</translation>
    </message>
    <message>
        <source>the sign-in service refused it</source>
        <translation>로그인 서비스가 거부했습니다</translation>
    </message>
    <message>
        <source>error!!</source>
        <translation>오류!!</translation>
    </message>
    <message>
        <source>(late) </source>
        <translation>(늦음) </translation>
    </message>
    <message>
        <source>(No title)</source>
        <translation>(제목 없음)</translation>
    </message>
    <message>
        <source> (all day)</source>
        <translation> (종일)</translation>
    </message>
    <message>
        <source>Due </source>
        <translation>기한 </translation>
    </message>
    <message>
        <source>Sign-in failed: </source>
        <translation>로그인 실패: </translation>
    </message>
    <message>
        <source>

Try again?</source>
        <translation>

다시 시도할까요?</translation>
    </message>
    <message>
        <source>Not everything could be loaded:</source>
        <translation>일부를 불러오지 못했습니다:</translation>
    </message>
    <message>
        <source>the calendar list</source>
        <translation>캘린더 목록</translation>
    </message>
    <message>
        <source>the task lists</source>
        <translation>할일 목록</translation>
    </message>
    <message>
        <source>calendar &apos;%s&apos;</source>
        <translation>&apos;%s&apos; 캘린더</translation>
    </message>
    <message>
        <source>task list &apos;%s&apos;</source>
        <translation>&apos;%s&apos; 할일 목록</translation>
    </message>
    <message>
        <source>Offline: data from the last successful sync, %s.</source>
        <translation>오프라인: 마지막 동기화(%s)의 데이터입니다.</translation>
    </message>
    <message>
        <source>Not loaded:</source>
        <translation>불러오지 못함:</translation>
    </message>
    <message>
        <source> and %s more</source>
        <translation> 외 %s건</translation>
    </message>
    <message>
        <source>Continue in your browser</source>
        <translation>브라우저에서 계속하세요</translation>
    </message>
    <message>
        <source>Your browser was opened so you can sign in to OrbCalender. Finish there to continue.</source>
        <translation>OrbCalender에 로그인할 수 있도록 브라우저를 열었습니다. 브라우저에서 마친 뒤 계속됩니다.</translation>
    </message>
    <message>
        <source>Open again</source>
        <translation>다시 열기</translation>
    </message>
    <message>
        <source>Copy link</source>
        <translation>링크 복사</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>취소</translation>
    </message>
    <message>
        <source>Your browser did not come back to OrbCalender in time, so the sign-in was stopped.</source>
        <translation>브라우저가 제시간에 OrbCalender로 돌아오지 않아 로그인을 멈췄습니다.</translation>
    </message>
    <message>
        <source>OrbCalender could not make a secure sign-in request.</source>
        <translation>OrbCalender가 안전한 로그인 요청을 만들지 못했습니다.</translation>
    </message>
    <message>
        <source>OrbCalender could not wait for your browser: </source>
        <translation>OrbCalender가 브라우저를 기다릴 수 없습니다: </translation>
    </message>
    <message>
        <source>This page does not belong to the sign-in OrbCalender is waiting for.</source>
        <translation>이 페이지는 OrbCalender가 기다리는 로그인의 것이 아닙니다.</translation>
    </message>
    <message>
        <source>Signed in to OrbCalender — you can close this tab</source>
        <translation>OrbCalender에 로그인했습니다 — 이 탭을 닫아도 됩니다</translation>
    </message>
    <message>
        <source>Sign-in to OrbCalender was not allowed — you can close this tab</source>
        <translation>OrbCalender 로그인이 허용되지 않았습니다 — 이 탭을 닫아도 됩니다</translation>
    </message>
    <message>
        <source>You did not allow OrbCalender to use your calendars and tasks.</source>
        <translation>OrbCalender가 캘린더와 할일을 쓰도록 허용하지 않았습니다.</translation>
    </message>
    <message>
        <source>The sign-in in your browser did not succeed: </source>
        <translation>브라우저에서 로그인하지 못했습니다: </translation>
    </message>
    <message>
        <source>Open</source>
        <translation>열기</translation>
    </message>
    <message>
        <source>Snooze 5 min</source>
        <translation>5분 뒤 다시 알림</translation>
    </message>
    <message>
        <source>Dismiss</source>
        <translation>닫기</translation>
    </message>
    <message>
        <source>Reminder</source>
        <translation>알림</translation>
    </message>
    <message>
        <source>OrbCalender 정보</source>
        <translation>OrbCalender 정보</translation>
    </message>
    <message>
        <source>OrbCalender, 버전 1.0</source>
        <translation>OrbCalender, 버전 1.0</translation>
    </message>
    <message>
        <source>You are offline: this change cannot be sent now. The data shown is from the last successful sync.</source>
        <translation>오프라인입니다: 지금은 이 변경 내용을 보낼 수 없습니다. 보이는 데이터는 마지막 동기화의 것입니다.</translation>
    </message>
    <message>
        <source>정말로 &apos;%s&apos; Event를 삭제하시겠습니까?</source>
        <translation>정말로 &apos;%s&apos; Event를 삭제하시겠습니까?</translation>
    </message>
    <message>
        <source>Event Insert Fail
</source>
        <translation>일정 생성 실패
</translation>
    </message>
    <message>
        <source>The settings file could not be read; it was kept as %s and the program starts with default settings.</source>
        <translation>설정 파일을 읽지 못해 %s(으)로 보관했습니다. 기본 설정으로 시작합니다.</translation>
    </message>
    <message>
        <source>The settings file could not be read (%s). The program starts with default settings and leaves the file as it is: nothing is saved over it.</source>
        <translation>설정 파일을 읽지 못했습니다(%s). 기본 설정으로 시작하며 파일은 그대로 둡니다: 그 위에 아무것도 저장하지 않습니다.</translation>
    </message>
    <message>
        <source>Your sign-in has expired or was withdrawn in your Google account; please sign in again.</source>
        <translation>로그인이 만료되었거나 Google 계정에서 취소되었습니다. 다시 로그인해 주세요.</translation>
    </message>
    <message>
        <source>The settings could not be written: </source>
        <translation>설정을 저장하지 못했습니다: </translation>
    </message>
    <message>
        <source>the file could not be read at start, so it is left as it is</source>
        <translation>시작할 때 파일을 읽지 못해 그대로 둡니다</translation>
    </message>
    <message>
        <source>The settings were saved but could not be read back; the values in use stay: </source>
        <translation>설정을 저장했지만 다시 읽지 못했습니다. 지금 쓰는 값을 유지합니다: </translation>
    </message>
    <message>
        <source>Starting with the desktop could not be changed: </source>
        <translation>데스크톱과 함께 시작 설정을 바꾸지 못했습니다: </translation>
    </message>
    <message>
        <source>OrbCalender 정보(&amp;A)...</source>
        <translation>OrbCalender 정보(&amp;A)...</translation>
    </message>
    <message>
        <source>error DeleteItem</source>
        <translation>삭제 오류</translation>
    </message>
    <message>
        <source>Your OS does not support this feature</source>
        <translation>운영 체제가 이 기능을 지원하지 않습니다</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>이름</translation>
    </message>
    <message>
        <source>Due</source>
        <translation>기한</translation>
    </message>
    <message>
        <source>Memo</source>
        <translation>메모</translation>
    </message>
    <message>
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <source>Synchronizing</source>
        <translation>동기화</translation>
    </message>
    <message>
        <source>Search Calendar</source>
        <translation>캘린더 검색</translation>
    </message>
    <message>
        <source>Calendar View</source>
        <translation>캘린더 보기</translation>
    </message>
    <message>
        <source>Insert Task</source>
        <translation>할일 추가</translation>
    </message>
    <message>
        <source>Delete Task</source>
        <translation>할일 삭제</translation>
    </message>
    <message>
        <source>Window Mode</source>
        <translation>창 모드</translation>
    </message>
    <message>
        <source>Normal</source>
        <translation>보통</translation>
    </message>
    <message>
        <source>Top</source>
        <translation>맨 위</translation>
    </message>
    <message>
        <source>Bottom</source>
        <translation>맨 아래</translation>
    </message>
    <message>
        <source>Resizing</source>
        <translation>크기 조절</translation>
    </message>
    <message>
        <source>Task View Mode</source>
        <translation>할일 보기 방식</translation>
    </message>
    <message>
        <source>All</source>
        <translation>모두</translation>
    </message>
    <message>
        <source>Completed</source>
        <translation>완료됨</translation>
    </message>
    <message>
        <source>NeedsAction</source>
        <translation>미완료</translation>
    </message>
    <message>
        <source>Preferences</source>
        <translation>환경 설정</translation>
    </message>
    <message>
        <source>Font</source>
        <translation>글꼴</translation>
    </message>
    <message>
        <source>Deleting Task List . . .</source>
        <translation>할일 목록 삭제 중 . . .</translation>
    </message>
    <message>
        <source>The task list &apos;%s&apos; was not created: </source>
        <translation>&apos;%s&apos; 할일 목록을 만들지 못했습니다: </translation>
    </message>
    <message>
        <source>The task list &apos;%s&apos; was not changed: </source>
        <translation>&apos;%s&apos; 할일 목록을 바꾸지 못했습니다: </translation>
    </message>
    <message>
        <source>The task &apos;%s&apos; was not created: </source>
        <translation>&apos;%s&apos; 할일을 만들지 못했습니다: </translation>
    </message>
    <message>
        <source>정말로 &apos;%s&apos; TaskList를 삭제하시겠습니까?</source>
        <translation>정말로 &apos;%s&apos; TaskList를 삭제하시겠습니까?</translation>
    </message>
    <message>
        <source>정말로 &apos;%s&apos; Task를 삭제하시겠습니까?</source>
        <translation>정말로 &apos;%s&apos; Task를 삭제하시겠습니까?</translation>
    </message>
    <message>
        <source>할일 생성 실패 : </source>
        <translation>할일 생성 실패 : </translation>
    </message>
    <message>
        <source>할일 Move 실패 : </source>
        <translation>할일 Move 실패 : </translation>
    </message>
    <message>
        <source>할일리스트 생성 실패 : </source>
        <translation>할일리스트 생성 실패 : </translation>
    </message>
    <message>
        <source>할일 리스트 업데이트 실패 : </source>
        <translation>할일 리스트 업데이트 실패 : </translation>
    </message>
    <message>
        <source>Task Deleted Fail!!
</source>
        <translation>할일 삭제 실패!!
</translation>
    </message>
    <message>
        <source>Updating Task List . . .</source>
        <translation>할일 목록 수정 중 . . .</translation>
    </message>
    <message>
        <source>The task list &apos;%s&apos; was not deleted: </source>
        <translation>&apos;%s&apos; 할일 목록을 삭제하지 못했습니다: </translation>
    </message>
    <message>
        <source>The task &apos;%s&apos; was not deleted: </source>
        <translation>&apos;%s&apos; 할일을 삭제하지 못했습니다: </translation>
    </message>
    <message>
        <source>The task &apos;%s&apos; was not changed: </source>
        <translation>&apos;%s&apos; 할일을 바꾸지 못했습니다: </translation>
    </message>
    <message>
        <source>The task &apos;%s&apos; was not moved: </source>
        <translation>&apos;%s&apos; 할일을 옮기지 못했습니다: </translation>
    </message>
    <message>
        <source>The task &apos;%s&apos; was created, but not under its parent; it is at the top level of its list: </source>
        <translation>&apos;%s&apos; 할일을 만들었지만 상위 할일 아래가 아니라 목록의 맨 위 단계에 있습니다: </translation>
    </message>
    <message>
        <source>Loading</source>
        <translation>불러오는 중</translation>
    </message>
    <message>
        <source>+%1 event</source>
        <translation>+%1개 일정</translation>
    </message>
    <message>
        <source>Today </source>
        <translation>오늘 </translation>
    </message>
    <message>
        <source>Calendar</source>
        <translation>캘린더</translation>
    </message>
    <message>
        <source>Tree View</source>
        <translation>트리 보기</translation>
    </message>
    <message>
        <source>Automatic</source>
        <translation>자동</translation>
    </message>
    <message>
        <source>More Colors...</source>
        <translation>다른 색...</translation>
    </message>
    <message>
        <source>%m월 %d일(%A)</source>
        <translation>%m월 %d일(%A)</translation>
    </message>
    <message>
        <source>Summary :</source>
        <translation>제목 :</translation>
    </message>
    <message>
        <source>Description :</source>
        <translation>설명 :</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>수정</translation>
    </message>
    <message>
        <source>Foreground :</source>
        <translation>글자색 :</translation>
    </message>
    <message>
        <source>Background :</source>
        <translation>배경색 :</translation>
    </message>
    <message>
        <source>read-only calendar: only its colours can be changed</source>
        <translation>읽기 전용 캘린더: 색만 바꿀 수 있습니다</translation>
    </message>
    <message>
        <source>only the calendar&apos;s owner can change its title and description</source>
        <translation>캘린더 소유자만 제목과 설명을 바꿀 수 있습니다</translation>
    </message>
    <message>
        <source>Calendar :</source>
        <translation>캘린더 :</translation>
    </message>
    <message>
        <source>Start Time :</source>
        <translation>시작 시간 :</translation>
    </message>
    <message>
        <source>End Time :</source>
        <translation>종료 시간 :</translation>
    </message>
    <message>
        <source>All day event</source>
        <translation>종일 일정</translation>
    </message>
    <message>
        <source>Recurrence</source>
        <translation>반복</translation>
    </message>
    <message>
        <source>Location :</source>
        <translation>장소 :</translation>
    </message>
    <message>
        <source>Insert</source>
        <translation>추가</translation>
    </message>
    <message>
        <source>Invalid Time &amp; Date!!</source>
        <translation>날짜와 시간이 올바르지 않습니다!!</translation>
    </message>
    <message>
        <source>read-only calendar</source>
        <translation>읽기 전용 캘린더</translation>
    </message>
    <message>
        <source>Title :</source>
        <translation>제목 :</translation>
    </message>
    <message>
        <source>due :</source>
        <translation>기한 :</translation>
    </message>
    <message>
        <source>Due Check</source>
        <translation>기한 사용</translation>
    </message>
    <message>
        <source>Note : </source>
        <translation>메모 : </translation>
    </message>
    <message>
        <source>Complete</source>
        <translation>완료</translation>
    </message>
    <message>
        <source>Default Options</source>
        <translation>기본 옵션</translation>
    </message>
    <message>
        <source>Calendar&apos;s Options</source>
        <translation>캘린더 옵션</translation>
    </message>
    <message>
        <source>Task&apos;s Options</source>
        <translation>할일 옵션</translation>
    </message>
    <message>
        <source>ID : </source>
        <translation>ID : </translation>
    </message>
    <message>
        <source>Pass :</source>
        <translation>비밀번호 :</translation>
    </message>
    <message>
        <source>API Key :</source>
        <translation>API 키 :</translation>
    </message>
    <message>
        <source>show</source>
        <translation>보기</translation>
    </message>
    <message>
        <source>All Expend</source>
        <translation>모두 펼치기</translation>
    </message>
    <message>
        <source>Due Hide</source>
        <translation>기한 숨기기</translation>
    </message>
    <message>
        <source>Start with the desktop</source>
        <translation>데스크톱과 함께 시작</translation>
    </message>
    <message>
        <source>Reminders</source>
        <translation>알림</translation>
    </message>
    <message>
        <source>tasks at</source>
        <translation>할일 알림</translation>
    </message>
    <message>
        <source>Synchronize every N minutes</source>
        <translation>N분마다 동기화</translation>
    </message>
    <message>
        <source>Never</source>
        <translation>안 함</translation>
    </message>
    <message>
        <source>from :</source>
        <translation>이전 :</translation>
    </message>
    <message>
        <source>to :</source>
        <translation>이후 :</translation>
    </message>
    <message>
        <source>days</source>
        <translation>일</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>저장</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>설명</translation>
    </message>
    <message>
        <source>Search :</source>
        <translation>검색 :</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>검색</translation>
    </message>
    <message>
        <source>Searching . . .</source>
        <translation>검색 중 . . .</translation>
    </message>
    <message>
        <source>search failed: </source>
        <translation>검색 실패: </translation>
    </message>
    <message>
        <source>This desktop runs Wayland without X11 support (XWayland), and on Wayland a program cannot place its own windows: OrbCalender&apos;s windows open where the desktop puts them, and the Bottom, Top and Resizing window modes cannot keep them below or above the others. Install XWayland (the xwayland package) and start OrbCalender again to have them.</source>
        <translation>이 데스크톱은 X11 지원(XWayland) 없이 Wayland로 실행 중이며, Wayland에서는 프로그램이 자기 창의 위치를 정할 수 없습니다: OrbCalender의 창은 데스크톱이 정한 곳에 열리고, Bottom, Top, Resizing 창 모드는 창을 다른 창의 아래나 위에 둘 수 없습니다. 이 기능을 쓰려면 XWayland(xwayland 패키지)를 설치하고 OrbCalender를 다시 시작하십시오.</translation>
    </message>
    <message>
        <source>This build of OrbCalender has no embedded login page, which the [Service] section of info.dat asks for with an out-of-band RedirectUri. Remove the RedirectUri line from info.dat and start OrbCalender again to sign in through your browser.</source>
        <translation>이 OrbCalender 빌드에는 내장 로그인 페이지가 없습니다. info.dat의 [Service] 섹션이 out-of-band RedirectUri로 그 페이지를 요구합니다. info.dat에서 RedirectUri 줄을 지우고 OrbCalender를 다시 시작하면 브라우저로 로그인합니다.</translation>
    </message>
    <message>
        <source>The login page could not be started: </source>
        <translation>로그인 페이지를 시작할 수 없습니다: </translation>
    </message>
    <message>
        <source>The login page ended unexpectedly: </source>
        <translation>로그인 페이지가 예기치 않게 끝났습니다: </translation>
    </message>
    <message>
        <source>January</source>
        <translation>1월</translation>
    </message>
    <message>
        <source>February</source>
        <translation>2월</translation>
    </message>
    <message>
        <source>March</source>
        <translation>3월</translation>
    </message>
    <message>
        <source>April</source>
        <translation>4월</translation>
    </message>
    <message>
        <source>May</source>
        <translation>5월</translation>
    </message>
    <message>
        <source>June</source>
        <translation>6월</translation>
    </message>
    <message>
        <source>July</source>
        <translation>7월</translation>
    </message>
    <message>
        <source>August</source>
        <translation>8월</translation>
    </message>
    <message>
        <source>September</source>
        <translation>9월</translation>
    </message>
    <message>
        <source>October</source>
        <translation>10월</translation>
    </message>
    <message>
        <source>November</source>
        <translation>11월</translation>
    </message>
    <message>
        <source>December</source>
        <translation>12월</translation>
    </message>
    <message>
        <source>Jan</source>
        <translation>1월</translation>
    </message>
    <message>
        <source>Feb</source>
        <translation>2월</translation>
    </message>
    <message>
        <source>Mar</source>
        <translation>3월</translation>
    </message>
    <message>
        <source>Apr</source>
        <translation>4월</translation>
    </message>
    <message>
        <source>Jun</source>
        <translation>6월</translation>
    </message>
    <message>
        <source>Jul</source>
        <translation>7월</translation>
    </message>
    <message>
        <source>Aug</source>
        <translation>8월</translation>
    </message>
    <message>
        <source>Sep</source>
        <translation>9월</translation>
    </message>
    <message>
        <source>Oct</source>
        <translation>10월</translation>
    </message>
    <message>
        <source>Nov</source>
        <translation>11월</translation>
    </message>
    <message>
        <source>Dec</source>
        <translation>12월</translation>
    </message>
    <message>
        <source>Sunday</source>
        <translation>일요일</translation>
    </message>
    <message>
        <source>Monday</source>
        <translation>월요일</translation>
    </message>
    <message>
        <source>Tuesday</source>
        <translation>화요일</translation>
    </message>
    <message>
        <source>Wednesday</source>
        <translation>수요일</translation>
    </message>
    <message>
        <source>Thursday</source>
        <translation>목요일</translation>
    </message>
    <message>
        <source>Friday</source>
        <translation>금요일</translation>
    </message>
    <message>
        <source>Saturday</source>
        <translation>토요일</translation>
    </message>
    <message>
        <source>Sun</source>
        <translation>일</translation>
    </message>
    <message>
        <source>Mon</source>
        <translation>월</translation>
    </message>
    <message>
        <source>Tue</source>
        <translation>화</translation>
    </message>
    <message>
        <source>Wed</source>
        <translation>수</translation>
    </message>
    <message>
        <source>Thu</source>
        <translation>목</translation>
    </message>
    <message>
        <source>Fri</source>
        <translation>금</translation>
    </message>
    <message>
        <source>Sat</source>
        <translation>토</translation>
    </message>
</context>
</TS>
