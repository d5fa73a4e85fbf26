{ same in Pascal }
function F: Integer;
var i, s: Integer;
begin
  s := 0;
  for i := 1 to 4 do
    s := s + i;
  if s > 5 then
    Result := s + 4
  else
    Result := 0;
end;
