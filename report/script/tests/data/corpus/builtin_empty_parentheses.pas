procedure P;
begin
  MessageBeep();
end;
