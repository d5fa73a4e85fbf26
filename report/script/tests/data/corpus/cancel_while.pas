procedure Spin;
var b: Boolean;
begin
  b := True;
  while b do
  begin
    b := True;
  end;
end;
