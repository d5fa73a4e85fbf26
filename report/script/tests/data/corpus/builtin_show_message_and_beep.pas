procedure P;
var n: Integer;
begin
  n := 6 * 7;
  ShowMessage('The answer is ' + IntToStr(n));
  MessageBeep;
end;
