{ same in Pascal }
function F: Integer;
var i, s: Integer;
begin
  s := 0;
  for i := 0 to 8 do
  begin
    case i of
      1: s := s + 1;
      3..5: s := s + 10;
      7: s := s + 100;
    else
      s := s + 1000;
    end;
  end;
  Result := s;
end;
